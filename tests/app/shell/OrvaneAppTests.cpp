#include "shell/AppDelegate.h"
#include "AwaitTask.h"
#include "shell/OrvaneApp.h"
#include "ViewFixture.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QTest>
#include <QTimer>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

class OrvaneAppTest : public ViewTest {
protected:
    OrvaneApp& launch(bool hasSystemTray = false, bool startsInBackground = false)
    {
        AppDelegate(tracker, notification).applicationDidFinishLaunching();
        app = std::make_unique<OrvaneApp>(OrvaneAppServices{
            .defaults = defaults,
            .paths = paths(),
            .environment = environment(),
            .bundle = ApplicationBundle({u":/"_s}),
            .tokenStore = tokenStore,
            .openInBrowser = [this](const QUrl& url) { browserCalls.append(url); },
            .copyToClipboard = [this](const QString& text) { clipboard.append(text); },
            .hasSystemTray = hasSystemTray,
            .startsInBackground = startsInBackground,
            .quit =
                [this] {
                    ++quitRequests;
                    statusAtQuit = app->model().statusMessage();
                    if (isRunningEventLoop)
                        QCoreApplication::quit();
                },
            .viewReleaseDelay = viewReleaseDelay,
            .launchIntents = tracker,
            .openURLsNotification = notification,
        });
        return *app;
    }

    // Signed in before: opens need no browser.
    void storeToken()
    {
        awaitTask(tokenStore->saveTokens({.accessToken = emulator.accessToken(),
                                          .refreshToken = std::nullopt,
                                          .expiresAt = QDateTime::currentDateTimeUtc().addSecs(3600),
                                          .scope = std::nullopt,
                                          .tokenType = std::nullopt}));
    }

    static int quickWindowCount()
    {
        int count = 0;
        for (QWindow* window : QGuiApplication::topLevelWindows())
            count += qobject_cast<QQuickWindow*>(window) ? 1 : 0;
        return count;
    }

    // Runs the application's event loop, as the running application does
    // (the last window's closing is announced only there), until it quits;
    // false when it does not within 5 seconds.
    bool runUntilQuit(const std::function<void()>& firstStep)
    {
        QTimer giveUp;
        bool gaveUp = false;
        giveUp.setSingleShot(true);
        QObject::connect(&giveUp, &QTimer::timeout, [&gaveUp] {
            gaveUp = true;
            QCoreApplication::quit();
        });
        giveUp.start(std::chrono::seconds(5));
        QTimer::singleShot(0, firstStep);
        isRunningEventLoop = true;
        QCoreApplication::exec();
        isRunningEventLoop = false;
        return !gaveUp;
    }

    // The last window's closing is announced only in the application's event loop.
    static void runEventLoopFor(std::chrono::milliseconds duration)
    {
        QTimer::singleShot(duration, [] { QCoreApplication::quit(); });
        QCoreApplication::exec();
    }

    // Launched, and past the check half a second after launch.
    OrvaneApp& launchAndWaitForTheLaunchCheck()
    {
        OrvaneApp& orvane = launch();
        EXPECT_TRUE(waitUntil([&orvane] { return !orvane.isLaunchCheckPending(); }));
        return orvane;
    }

    std::unique_ptr<OrvaneApp> app;
    std::chrono::milliseconds viewReleaseDelay{200};
    int quitRequests = 0;
    QString statusAtQuit;
    bool isRunningEventLoop = false;
};

TEST_F(OrvaneAppTest, HalfASecondAfterLaunchTheMainWindowShowsOnboardingUntilSetupIsComplete)
{
    setPreferences({.hasCompletedOnboarding = false});
    OrvaneApp& orvane = launch();
    EXPECT_FALSE(orvane.mainWindow().isVisible());

    ASSERT_TRUE(waitUntil([&orvane] { return orvane.mainWindow().isVisible(); }));

    EXPECT_TRUE(orvane.model().isShowingOnboarding());
    EXPECT_EQ(orvane.model().statusMessage(), u"Complete setup before opening files from the file manager."_s);
    EXPECT_FALSE(orvane.preferencesWindow().isVisible());
}

TEST_F(OrvaneAppTest, AfterSetupTheLaunchShowsTheHomeViewWithoutForcingOnboarding)
{
    OrvaneApp& orvane = launchAndWaitForTheLaunchCheck();

    EXPECT_TRUE(orvane.mainWindow().isVisible());
    EXPECT_FALSE(orvane.model().isShowingOnboarding());
    EXPECT_EQ(orvane.model().statusMessage(), u"Ready"_s);
}

TEST_F(OrvaneAppTest, ALaunchToOpenFilesMakesNoWindow)
{
    storeToken();
    const int windowsBefore = quickWindowCount();
    tracker.recordFileOpenRequest({writeFile(u"report.csv"_s, "a,b\n")});
    OrvaneApp& orvane = launchAndWaitForTheLaunchCheck();

    ASSERT_TRUE(waitUntil([&orvane] { return orvane.model().statusMessage() == u"Uploaded and opened report.csv"_s; }));

    EXPECT_FALSE(orvane.mainWindow().isVisible());
    EXPECT_EQ(quickWindowCount(), windowsBefore);
    // Without a tray, nothing is left to do once the file is done.
    EXPECT_TRUE(waitUntil([this] { return quitRequests == 1; }));
}

// The file manager hands a file over just as the last open ends: the
// request is delivered at once and counts as open work from then on, so the
// end of the last open leaves Orvane work to do and it does not quit first.
TEST_F(OrvaneAppTest, WithoutATrayAFileHandedOverAsTheLastOpenEndsIsOpenedBeforeQuitting)
{
    storeToken();
    const QUrl first = writeFile(u"first.csv"_s, "a\n");
    const QUrl second = writeFile(u"second.csv"_s, "b\n");
    tracker.recordFileOpenRequest({first});
    OrvaneApp& orvane = launch();
    bool isHandedOver = false;
    QObject::connect(&orvane.model(), &AppModel::openEnded, [this, &isHandedOver, &second] {
        if (!std::exchange(isHandedOver, true))
            AppDelegate(tracker, notification).openURLs({second});
    });

    ASSERT_TRUE(runUntilQuit([] {}));

    EXPECT_EQ(statusAtQuit, u"Uploaded and opened second.csv"_s);
    EXPECT_EQ(uploadCount(), 2);
    EXPECT_EQ(quitRequests, 1);
}

TEST_F(OrvaneAppTest, WithoutATrayAFailedWindowlessOpenShowsItsErrorInsteadOfQuitting)
{
    tracker.recordFileOpenRequest({writeFile(u"report.pdf"_s, "%PDF")});
    OrvaneApp& orvane = launchAndWaitForTheLaunchCheck();

    ASSERT_TRUE(waitUntil([&orvane] { return orvane.mainWindow().isVisible(); }));
    EXPECT_EQ(orvane.model().statusMessage(), u"Could not open report.pdf"_s);
    EXPECT_EQ(orvane.model().lastError(),
              u"Orvane does not support .pdf. Supported files are CSV, TSV, Excel, Word, and PowerPoint."_s);
    EXPECT_FALSE(orvane.model().isShowingOnboarding());
    EXPECT_EQ(quitRequests, 0);
}

TEST_F(OrvaneAppTest, TheModelsWindowRequestsBringTheWindowsForward)
{
    OrvaneApp& orvane = launch();

    orvane.model().showPreferencesWindow();
    EXPECT_TRUE(orvane.preferencesWindow().isVisible());
    orvane.model().showMainWindow();
    EXPECT_TRUE(orvane.mainWindow().isVisible());
    EXPECT_EQ(orvane.mainWindow().makeWindowIfNeeded().title(), u"Orvane"_s);
}

// Without a tray item, nothing would be left to reach a window-less Orvane.
TEST_F(OrvaneAppTest, WithoutATrayClosingTheLastWindowQuits)
{
    OrvaneApp& orvane = launchAndWaitForTheLaunchCheck();
    QQuickWindow& window = orvane.mainWindow().makeWindowIfNeeded();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    ASSERT_TRUE(runUntilQuit([&window] { window.close(); }));

    EXPECT_EQ(quitRequests, 1);
}

TEST_F(OrvaneAppTest, WithoutATrayAnOpenThatIsUnderWayIsFinishedBeforeQuitting)
{
    OrvaneApp& orvane = launch();
    orvane.model().connectGoogle();
    // The stand-in browser of this test does not sign in by itself.
    ASSERT_TRUE(waitUntil([this] { return browserCalls.size() == 1; }));
    signInBrowser.open(browserCalls[0]);
    ASSERT_TRUE(waitUntil([&orvane] { return orvane.model().isConnected(); }));
    ASSERT_TRUE(waitUntil([&orvane] { return !orvane.isLaunchCheckPending(); }));
    QQuickWindow& window = orvane.mainWindow().makeWindowIfNeeded();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    emulator.stallNextRequests(u"/upload/drive/v3/files"_s, std::chrono::milliseconds(1000), 1, "PUT");
    orvane.model().openFile(writeFile(u"report.csv"_s, "a,b\n1,2\n"));
    ASSERT_TRUE(orvane.model().isOpening());

    EXPECT_TRUE(runUntilQuit([&window] { window.close(); }));
    ASSERT_TRUE(waitUntil([&orvane] { return !orvane.model().isOpening(); }));

    EXPECT_EQ(quitRequests, 1);
    EXPECT_EQ(statusAtQuit, u"Uploaded and opened report.csv"_s);
}

TEST_F(OrvaneAppTest, WithATrayASetUpOrvaneStartsWithItsWindowAndOnlyInTheBackgroundWithout)
{
    OrvaneApp& orvane = launch(true);
    ASSERT_TRUE(waitUntil([&orvane] { return !orvane.isLaunchCheckPending(); }));
    ASSERT_TRUE(orvane.mainWindow().isVisible()) << "a start from the applications menu shows Orvane";
    QQuickWindow& window = orvane.mainWindow().makeWindowIfNeeded();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    settle(window);
    EXPECT_FALSE(item(window, u"windowMenuButton"_s)->isVisible()) << "the tray has the menu";
    EXPECT_FALSE(orvane.model().isShowingOnboarding());
    app.reset();

    OrvaneApp& inBackground = launch(true, true);
    ASSERT_TRUE(waitUntil([&inBackground] { return !inBackground.isLaunchCheckPending(); }));
    EXPECT_FALSE(inBackground.mainWindow().isVisible());
}

// A hidden Orvane without a tray, or one not set up, would leave the user
// nothing to click.
TEST_F(OrvaneAppTest, InTheBackgroundWithoutATrayOrBeforeSetupTheWindowShowsAllTheSame)
{
    OrvaneApp& withoutTray = launch(false, true);
    ASSERT_TRUE(waitUntil([&withoutTray] { return !withoutTray.isLaunchCheckPending(); }));
    EXPECT_TRUE(withoutTray.mainWindow().isVisible());
    app.reset();

    setPreferences({.hasCompletedOnboarding = false});
    OrvaneApp& notSetUp = launch(true, true);
    ASSERT_TRUE(waitUntil([&notSetUp] { return !notSetUp.isLaunchCheckPending(); }));
    EXPECT_TRUE(notSetUp.mainWindow().isVisible());
    EXPECT_TRUE(notSetUp.model().isShowingOnboarding());
}

// In the tray for hours, Orvane should not keep what only windows need.
TEST_F(OrvaneAppTest, AWhileAfterTheLastWindowClosesTheViewsAreReleasedAndMadeAgainOnRequest)
{
    OrvaneApp& orvane = launch(true);
    orvane.model().showPreferencesWindow();
    orvane.model().showMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&orvane.mainWindow().makeWindowIfNeeded()));
    const auto closeEveryWindow = [&orvane] {
        orvane.preferencesWindow().makeWindowIfNeeded().close();
        orvane.mainWindow().makeWindowIfNeeded().close();
    };

    QTimer::singleShot(0, closeEveryWindow);
    QTimer::singleShot(viewReleaseDelay / 2, [&orvane] { orvane.model().showMainWindow(); });
    runEventLoopFor(2 * viewReleaseDelay);
    EXPECT_TRUE(orvane.areViewsMade()) << "shown again before the delay ran out";

    QTimer::singleShot(0, closeEveryWindow);
    runEventLoopFor(3 * viewReleaseDelay);

    EXPECT_FALSE(orvane.areViewsMade());
    EXPECT_FALSE(orvane.mainWindow().isMade());
    EXPECT_FALSE(orvane.preferencesWindow().isMade());

    orvane.model().showMainWindow();
    QQuickWindow& window = orvane.mainWindow().makeWindowIfNeeded();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    settle(window);
    EXPECT_TRUE(orvane.areViewsMade());
    EXPECT_TRUE(item(window, u"homeView"_s)->isVisible());
}

TEST_F(OrvaneAppTest, ASetupLeftHalfDoneKeepsItsStepWhenTheWindowClosesForAWhile)
{
    setPreferences({.hasCompletedOnboarding = false});
    OrvaneApp& orvane = launch(true);
    ASSERT_TRUE(waitUntil([&orvane] { return orvane.mainWindow().isVisible(); }));
    QQuickWindow& window = orvane.mainWindow().makeWindowIfNeeded();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    item(window, u"onboardingView"_s)->setProperty("selectedStep", 3);

    QTimer::singleShot(0, [&window] { window.close(); });
    runEventLoopFor(3 * viewReleaseDelay);
    ASSERT_TRUE(orvane.mainWindow().isMade());
    orvane.model().showMainWindow();

    QQuickWindow& shownAgain = orvane.mainWindow().makeWindowIfNeeded();
    EXPECT_TRUE(shownAgain.isVisible());
    EXPECT_EQ(item(shownAgain, u"onboardingView"_s)->property("selectedStep").toInt(), 3);
}

TEST_F(OrvaneAppTest, WithoutATrayTheMainWindowCarriesTheMenu)
{
    OrvaneApp& orvane = launchAndWaitForTheLaunchCheck();
    QQuickWindow& window = orvane.mainWindow().makeWindowIfNeeded();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    settle(window);

    QQuickItem* menuButton = item(window, u"windowMenuButton"_s);
    EXPECT_TRUE(menuButton->isVisible());
    click(window, menuButton);

    QMenu& menu = orvane.menu().menu();
    ASSERT_TRUE(waitUntil([&menu] { return menu.isVisible(); }));
    EXPECT_EQ(menu.actions().first()->text(), u"Open Orvane"_s);
    const QPoint buttonBottomLeft = window.mapToGlobal(menuButton->mapToScene(QPointF(0, menuButton->height())).toPoint());
    EXPECT_EQ(menu.pos().y(), buttonBottomLeft.y()) << "below the button (moved sideways to stay on the screen)";
    menu.hide();
}

} // namespace
