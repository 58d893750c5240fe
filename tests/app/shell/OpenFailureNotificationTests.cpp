#include "AwaitTask.h"
#include "NotificationServer.h"
#include "ViewFixture.h"
#include "shell/AppDelegate.h"
#include "shell/OrvaneApp.h"

#include <QDBusConnection>
#include <QDBusMessage>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

// An Orvane that sits in the tray, set up, with the session's notification
// server (or none) on a bus of the test's own. Its first open signs in.
class OpenFailureNotificationTest : public ViewTest {
protected:
    OrvaneApp& launchInTheTray()
    {
        app = std::make_unique<OrvaneApp>(OrvaneAppServices{
            .defaults = defaults,
            .paths = paths(),
            .environment = environment(),
            .bundle = ApplicationBundle({u":/"_s}),
            .tokenStore = tokenStore,
            .openInBrowser =
                [this](const QUrl& url) {
                    if (url.path() == u"/o/oauth2/v2/auth"_s)
                        signInBrowser.open(url);
                },
            .copyToClipboard = [](const QString&) {},
            .hasSystemTray = true,
            .startsInBackground = true,
            .quit = [] {},
            .launchIntents = tracker,
            .openURLsNotification = notification,
        });
        EXPECT_TRUE(waitUntil([this] { return !app->isLaunchCheckPending(); }));
        EXPECT_FALSE(app->mainWindow().isVisible());
        return *app;
    }

    // As the file manager hands a file to the running Orvane; waits for the
    // open to end.
    void handOver(const QUrl& fileURL)
    {
        const QString ended = u"opened "_s + fileURL.fileName();
        const QString failed = u"Could not open "_s + fileURL.fileName();
        AppDelegate(tracker, notification).openURLs({fileURL});
        ASSERT_TRUE(waitUntil([this, &ended, &failed] {
            const QString status = app->model().statusMessage();
            return status.endsWith(ended) || status == failed;
        }));
    }

    // Whatever the server said before this reached Orvane: the bus keeps
    // the order of one sender's messages.
    static void takeWhatTheServerSaid()
    {
        QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(u"org.freedesktop.Notifications"_s,
            u"/org/freedesktop/Notifications"_s, u"org.freedesktop.Notifications"_s, u"GetCapabilities"_s));
        QCoreApplication::processEvents();
    }

    std::unique_ptr<OrvaneApp> app;
};

TEST_F(OpenFailureNotificationTest, AFailedOpenWithNoWindowIsToldOnceAndClickingItBringsOrvaneForward)
{
    NotificationServer server;
    ASSERT_TRUE(server.isRegistered());
    OrvaneApp& orvane = launchInTheTray();

    handOver(writeFile(u"report.csv"_s, "a,b\n"));
    ASSERT_EQ(orvane.model().statusMessage(), u"Uploaded and opened report.csv"_s);
    emulator.revokeAllTokens();
    handOver(writeFile(u"budget.csv"_s, "c,d\n"));

    ASSERT_TRUE(waitUntil([&server] { return !server.notifications().isEmpty(); }));
    const NotificationServer::Notification told = server.notifications().first();
    EXPECT_EQ(told.summary, u"Could not open budget.csv"_s);
    EXPECT_EQ(told.body, u"Google access has expired or was revoked. Connect Google again to go on opening files."_s);
    EXPECT_EQ(told.body, orvane.model().lastError());
    EXPECT_EQ(told.appName, u"Orvane"_s);
    EXPECT_EQ(told.appIcon, u"app.orvane.Orvane"_s);
    EXPECT_EQ(told.replacesId, 0u);
    EXPECT_EQ(told.actions, QStringList({u"default"_s, u"Open Orvane"_s}));
    EXPECT_EQ(told.hints, QVariantMap({{u"desktop-entry"_s, u"app.orvane.Orvane"_s}}));
    EXPECT_EQ(told.expireTimeout, -1);

    server.invokeAction(told.id + 1, u"default"_s);
    takeWhatTheServerSaid();
    EXPECT_FALSE(orvane.mainWindow().isVisible()) << "another application's notification was clicked";
    server.invokeAction(told.id, u"default"_s);
    ASSERT_TRUE(waitUntil([&orvane] { return orvane.mainWindow().isVisible(); }));
    EXPECT_FALSE(orvane.model().isShowingOnboarding());

    // The window shows this failure itself.
    handOver(writeFile(u"slides.pdf"_s, "%PDF"));
    orvane.mainWindow().makeWindowIfNeeded().close();
    // The server reads markup: the body is escaped, the summary is not.
    handOver(QUrl::fromLocalFile(filesFolder.filePath(u"Q&A <draft>.csv"_s)));
    ASSERT_TRUE(waitUntil([&server] { return server.notifications().size() >= 2; }));
    const NotificationServer::Notification second = server.notifications().at(1);
    EXPECT_EQ(second.summary, u"Could not open Q&A <draft>.csv"_s);
    EXPECT_EQ(second.body, orvane.model().lastError()->toHtmlEscaped());
    EXPECT_TRUE(second.body.contains(u"Q&amp;A &lt;draft&gt;.csv"_s)) << qPrintable(second.body);
}

TEST_F(OpenFailureNotificationTest, WithoutANotificationServerAFailedOpenEndsWithoutAWord)
{
    OrvaneApp& orvane = launchInTheTray();
    // Besides the model's own log of what it does.
    static QStringList warnings;
    static QtMessageHandler next = nullptr;
    next = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (type != QtDebugMsg && type != QtInfoMsg && QLatin1StringView(context.category) != "orvane.activity"_L1)
            warnings.append(message);
        next(type, context, message);
    });

    handOver(writeFile(u"slides.pdf"_s, "%PDF"));
    // The bus's answer that nobody serves the name comes back meanwhile.
    handOver(writeFile(u"report.csv"_s, "a,b\n"));
    qInstallMessageHandler(next);

    EXPECT_EQ(orvane.model().statusMessage(), u"Uploaded and opened report.csv"_s);
    EXPECT_TRUE(warnings.isEmpty()) << qPrintable(warnings.join(u'\n'));
}

} // namespace
