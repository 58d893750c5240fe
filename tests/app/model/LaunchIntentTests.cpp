#include "shell/AppDelegate.h"
#include "model/LaunchIntentTracker.h"
#include "model/OpenURLsNotification.h"

#include <QGuiApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

class LaunchIntentTest : public ::testing::Test {
protected:
    LaunchIntentTracker tracker;
    OpenURLsNotification notification;
    AppDelegate delegate{tracker, notification};
    QSignalSpy posted{&notification, &OpenURLsNotification::posted};

    const QUrl report = QUrl::fromLocalFile(u"/home/aki/report.xlsx"_s);
    const QUrl sales = QUrl::fromLocalFile(u"/home/aki/sales.csv"_s);

    QList<QUrl> postedURLs(qsizetype index) const { return posted.at(index).at(0).value<QList<QUrl>>(); }
};

TEST_F(LaunchIntentTest, OpenRequestIsRecordedInOrderAndPostedBeforeTheCallReturns)
{
    delegate.openURLs({report, sales});
    delegate.openURLs({sales});

    EXPECT_TRUE(tracker.didReceiveFileOpenRequest());
    EXPECT_EQ(tracker.pendingFileOpenRequestURLs(), (QList<QUrl>{report, sales, sales}));
    ASSERT_EQ(posted.size(), 2);
    EXPECT_EQ(postedURLs(0), (QList<QUrl>{report, sales}));
    EXPECT_EQ(postedURLs(1), QList<QUrl>{sales});
}

TEST_F(LaunchIntentTest, EmptyOpenRequestSetsNoFlagAndPostsAnEmptyList)
{
    delegate.openURLs({});

    EXPECT_FALSE(tracker.didReceiveFileOpenRequest());
    EXPECT_TRUE(tracker.pendingFileOpenRequestURLs().isEmpty());
    ASSERT_EQ(posted.size(), 1);
    EXPECT_TRUE(postedURLs(0).isEmpty());
}

TEST_F(LaunchIntentTest, TakingThePendingURLsEmptiesTheListButKeepsTheFlag)
{
    delegate.openURLs({report});

    EXPECT_EQ(tracker.takePendingFileOpenRequestURLs(), QList<QUrl>{report});
    EXPECT_TRUE(tracker.pendingFileOpenRequestURLs().isEmpty());
    EXPECT_TRUE(tracker.didReceiveFileOpenRequest());
}

TEST_F(LaunchIntentTest, ReopenWithoutVisibleWindowsAsksForTheMainWindow)
{
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));

    ASSERT_EQ(posted.size(), 1);
    EXPECT_TRUE(postedURLs(0).isEmpty());
    EXPECT_FALSE(tracker.didReceiveFileOpenRequest());
}

TEST_F(LaunchIntentTest, ReopenWithVisibleWindowsPostsNothing)
{
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(true));

    EXPECT_EQ(posted.size(), 0);
}

TEST_F(LaunchIntentTest, FinishedLaunchKeepsTheApplicationRunningWithoutWindows)
{
    QGuiApplication::setQuitOnLastWindowClosed(true);

    delegate.applicationDidFinishLaunching();

    EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed());
}

TEST(OpenURLsNotificationTest, PostFromAnotherThreadIsDeliveredOnTheMainThread)
{
    OpenURLsNotification notification;
    QThread* deliveredOn = nullptr;
    QObject::connect(&notification, &OpenURLsNotification::posted,
                     [&deliveredOn](const QList<QUrl>&) { deliveredOn = QThread::currentThread(); });

    std::unique_ptr<QThread> poster(QThread::create([&notification] { notification.post({}); }));
    poster->start();
    poster->wait();
    EXPECT_EQ(deliveredOn, nullptr);
    QCoreApplication::processEvents();

    EXPECT_EQ(deliveredOn, QCoreApplication::instance()->thread());
}

TEST(OpenURLsNotificationTest, TheSharedNotificationIsNamedOrvaneOpenURLs)
{
    EXPECT_EQ(OpenURLsNotification::shared().objectName(), u"OrvaneOpenURLs"_s);
    EXPECT_EQ(&OpenURLsNotification::shared(), &OpenURLsNotification::shared());
    EXPECT_EQ(&LaunchIntentTracker::shared(), &LaunchIntentTracker::shared());
}

} // namespace
