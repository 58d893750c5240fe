#include "AppModelFixture.h"

#include "shell/AppDelegate.h"

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

// Files handed over by the desktop reach the model exactly once, whether
// they arrive before it exists or while it runs.
class AppModelLaunchTest : public AppModelTest {
protected:
    AppDelegate delegate{tracker, notification};

    QUrl sales = writeFile(u"sales.csv"_s, "Region,Amount\nNorth,10\n");

    // Uploads sales.csv once, so that later opens reuse it without requests.
    void uploadOnce()
    {
        makeModel();
        openAndWait(sales);
        ASSERT_EQ(model->statusMessage(), u"Uploaded and opened sales.csv"_s);
        statuses.clear();
        browserCalls.clear();
    }

    qsizetype opensOf(const QString& name) const { return statuses.count(u"Opening "_s + name + u"..."_s); }
};

TEST_F(AppModelLaunchTest, FilesDeliveredBeforeTheModelExistsAreOpenedOnceItIsCreated)
{
    uploadOnce();
    model.reset();
    statuses.clear();

    delegate.openURLs({sales});
    ASSERT_EQ(tracker.pendingFileOpenRequestURLs(), QList<QUrl>{sales});
    makeModel();
    EXPECT_TRUE(tracker.pendingFileOpenRequestURLs().isEmpty()) << "taken by the new model";
    ASSERT_TRUE(waitUntil([this] { return model->statusMessage() == u"Opened existing Google file for sales.csv"_s; }));

    EXPECT_EQ(opensOf(u"sales.csv"_s), 1);
    EXPECT_EQ(browserCalls.size(), 1);
    EXPECT_TRUE(tracker.didReceiveFileOpenRequest());
}

TEST_F(AppModelLaunchTest, FilesDeliveredWhileTheModelRunsAreOpenedOnceThroughTheNotification)
{
    uploadOnce();

    delegate.openURLs({sales});
    EXPECT_TRUE(tracker.pendingFileOpenRequestURLs().isEmpty());
    EXPECT_TRUE(statuses.isEmpty()) << "the delegate's call returns before the open starts";
    ASSERT_TRUE(waitUntil([this] { return model->statusMessage() == u"Opened existing Google file for sales.csv"_s; }));

    EXPECT_EQ(opensOf(u"sales.csv"_s), 1);
    EXPECT_EQ(browserCalls.size(), 1);
    EXPECT_EQ(mainWindowRequests, 0) << "files do not force the window up";
}

// Whatever decides that Orvane may end asks this; a request that is taken
// but not started must count, or its files are lost.
TEST_F(AppModelLaunchTest, ARequestIsOpenWorkFromTheMomentItIsTakenUntilItsLastFileHasEnded)
{
    uploadOnce();
    const QUrl second = writeFile(u"second.csv"_s, "a\n");
    QList<bool> changes;
    QObject::connect(model.get(), &AppModel::hasOpenWorkChanged, [this, &changes] { changes.append(model->hasOpenWork()); });

    delegate.openURLs({sales, second});
    EXPECT_TRUE(model->hasOpenWork()) << "before the event loop turns";
    ASSERT_TRUE(waitUntil([this] { return !model->hasOpenWork(); }));

    EXPECT_EQ(changes, (QList<bool>{true, false})) << "never idle between the files";
    EXPECT_EQ(model->statusMessage(), u"Uploaded and opened second.csv"_s);
}

TEST_F(AppModelLaunchTest, FilesDeliveredBeforeTheModelExistsAndBeforeOnboardingBringUpTheWindow)
{
    setPreferences({.hasCompletedOnboarding = false});
    delegate.openURLs({sales});

    makeModel();
    ASSERT_TRUE(waitUntil([this] { return mainWindowRequests == 1; })) << "after the window layer installed its handler";

    EXPECT_EQ(model->statusMessage(), u"Complete setup before opening files from the file manager."_s);
    EXPECT_TRUE(tracker.pendingFileOpenRequestURLs().isEmpty());
    EXPECT_TRUE(browserCalls.isEmpty());
}

TEST_F(AppModelLaunchTest, FilesBeforeOnboardingAreDroppedNotKept)
{
    setPreferences({.hasCompletedOnboarding = false});
    makeModel();

    delegate.openURLs({sales});
    ASSERT_TRUE(waitUntil([this] { return mainWindowRequests == 1; }));

    EXPECT_EQ(model->statusMessage(), u"Complete setup before opening files from the file manager."_s);
    EXPECT_TRUE(model->isShowingOnboarding());
    EXPECT_TRUE(tracker.pendingFileOpenRequestURLs().isEmpty());
    EXPECT_TRUE(browserCalls.isEmpty());
}

TEST_F(AppModelLaunchTest, EmptyOpenRequestBringsTheMainWindowForward)
{
    makeModel();

    delegate.openURLs({});
    ASSERT_TRUE(waitUntil([this] { return mainWindowRequests == 1; }));

    EXPECT_TRUE(statuses.isEmpty()) << "setup is complete: onboarding is not forced";
    EXPECT_FALSE(model->isShowingOnboarding());
}

TEST_F(AppModelLaunchTest, ReopenBeforeOnboardingShowsOnboarding)
{
    setPreferences({.hasCompletedOnboarding = false});
    makeModel();
    model->setShowingOnboarding(false);

    delegate.applicationShouldHandleReopen(false);
    ASSERT_TRUE(waitUntil([this] { return mainWindowRequests == 1; }));

    EXPECT_TRUE(model->isShowingOnboarding());
    EXPECT_EQ(model->statusMessage(), u"Complete setup before opening files from the file manager."_s);
}

TEST_F(AppModelLaunchTest, URLsThatAreNotFilesAreTakenForAReopen)
{
    makeModel();

    notification.post({QUrl(u"https://example.com/sales.csv"_s)});
    ASSERT_TRUE(waitUntil([this] { return mainWindowRequests == 1; }));

    EXPECT_TRUE(statuses.isEmpty());
    EXPECT_TRUE(browserCalls.isEmpty());
}

TEST_F(AppModelLaunchTest, ModelThatIsGoneNoLongerObserves)
{
    makeModel();
    model.reset();

    delegate.openURLs({sales});
    QCoreApplication::processEvents();

    EXPECT_EQ(tracker.pendingFileOpenRequestURLs(), QList<QUrl>{sales}) << "kept for the next model";
}

} // namespace
