#include "model/NonWebURLError.h"
#include "model/WebBrowser.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

class WebBrowserTest : public ::testing::Test {
protected:
    QList<QUrl> opened;
    WebBrowser browser{[this](const QUrl& url) { opened.append(url); }};
};

TEST_F(WebBrowserTest, WebAddressesAreHandedToTheBrowser)
{
    const QUrl editor(u"https://docs.google.com/spreadsheets/d/abc/edit"_s);
    const QUrl standIn(u"http://127.0.0.1:8765/file/d/abc/view"_s);

    browser.open(editor);
    browser.open(standIn);

    EXPECT_EQ(opened, (QList<QUrl>{editor, standIn}));
}

TEST_F(WebBrowserTest, AnythingElseIsRefusedWithTheAddressInTheMessage)
{
    for (const QString& text : {u"file:///usr/bin/xterm"_s, u"javascript:alert(1)"_s, u"ftp://example.com/a"_s,
                                u"https:relative"_s, u""_s}) {
        try {
            browser.open(QUrl(text));
            ADD_FAILURE() << "opened " << text.toStdString();
        } catch (const NonWebURLError& error) {
            EXPECT_EQ(error.localizedDescription(),
                      u"Orvane opens only web addresses (http or https) in the browser, not \u201C%1\u201D."_s.arg(
                          QUrl(text).toDisplayString()));
        }
    }
    EXPECT_TRUE(opened.isEmpty());
}

} // namespace
