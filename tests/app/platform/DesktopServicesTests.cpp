#include "AppModelFixture.h"

#include "platform/BrowserUnavailableError.h"
#include "platform/DesktopServices.h"

#include <QElapsedTimer>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

// On the offscreen platform the desktop can start no browser, as a session
// without one cannot.

TEST(SystemBrowserOpener, ABrowserThatCannotStartIsAnErrorNamingThePageWithoutItsQuery)
{
    try {
        systemBrowserOpener()(QUrl(u"https://accounts.google.com/o/oauth2/v2/auth?state=abc"_s));
        ADD_FAILURE() << "reported the page as shown";
    } catch (const BrowserUnavailableError& error) {
        EXPECT_EQ(error.localizedDescription(), u"Orvane could not start a web browser to show "
                                                u"\u201Chttps://accounts.google.com/o/oauth2/v2/auth\u201D."_s);
    }
}

TEST_F(AppModelTest, ASignInWhoseBrowserCannotStartFailsAtOnceInsteadOfWaitingForTheRedirect)
{
    browserInstead = systemBrowserOpener();
    makeModel();
    QElapsedTimer signingIn;
    signingIn.start();

    connectAndWait();

    EXPECT_LT(signingIn.elapsed(), 5'000);
    EXPECT_EQ(model->statusMessage(), u"Google sign-in failed"_s);
    EXPECT_EQ(model->lastError(), u"Orvane could not start a web browser to show \u201C%1\u201D."_s.arg(
                                      emulator.url(u"/o/oauth2/v2/auth"_s).toString()));
    EXPECT_FALSE(model->isConnected());
}

TEST_F(AppModelTest, AnUploadWhosePageNoBrowserCanShowIsRecordedAndSaysSo)
{
    browserInstead = [this](const QUrl& url) {
        if (url.path() == u"/o/oauth2/v2/auth"_s)
            signInBrowser.open(url);
        else
            systemBrowserOpener()(url);
    };
    makeModel();

    openAndWait(writeFile(u"report.csv"_s, "a,b\n"));

    EXPECT_EQ(model->statusMessage(), u"Could not open report.csv"_s);
    ASSERT_EQ(model->recentRecords().size(), 1) << "the upload is remembered";
    EXPECT_EQ(model->lastError(), u"Orvane could not start a web browser to show \u201C%1\u201D."_s.arg(
                                      model->recentRecords().first().openURL.toString()));
    EXPECT_TRUE(model->isConnected());
}

} // namespace
