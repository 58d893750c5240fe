#include "instance/InstanceHandOver.h"
#include "instance/InstanceLock.h"
#include "shell/AppDelegate.h"
#include "shell/DesktopPlatform.h"
#include "model/LaunchIntentTracker.h"
#include "model/OpenURLsNotification.h"

#include <QFileOpenEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <future>

using namespace orvane;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr int timeoutMilliseconds = 10'000;

QUrl file(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

// The desktop's events reach the delegate.
class DesktopPlatformTest : public ::testing::Test {
protected:
    // A later start, handing its request over from a thread of its own.
    void handOver(const InstanceRequest& request)
    {
        std::future<InstanceHandOver::Outcome> outcome =
            std::async(std::launch::async, [this, request] { return InstanceHandOver(address, request).handOver(); });
        ASSERT_TRUE(QTest::qWaitFor([&outcome] { return outcome.wait_for(0s) == std::future_status::ready; },
                                    timeoutMilliseconds));
        EXPECT_EQ(outcome.get(), InstanceHandOver::Outcome::handedOver);
    }

    QTemporaryDir runtimeDirectory;
    InstanceAddress address = InstanceAddress::at(runtimeDirectory.filePath(u"orvane.socket"_s));
    InstanceLock lock{address.lockPath};
    LaunchIntentTracker tracker;
    OpenURLsNotification notification;
    AppDelegate delegate{tracker, notification};
    DesktopPlatform platform{delegate, address.socketPath};
    QSignalSpy posted{&notification, &OpenURLsNotification::posted};

    QList<QUrl> postedURLs(qsizetype index) const { return posted.at(index).at(0).value<QList<QUrl>>(); }
};

TEST_F(DesktopPlatformTest, TheRunningOrvaneOpensItsOwnFiles)
{
    const InstanceRequest request{{file(u"/home/aki/a.csv"_s)}};

    platform.start(request);

    ASSERT_EQ(posted.size(), 1);
    EXPECT_EQ(postedURLs(0), request.fileURLs);
    EXPECT_TRUE(tracker.didReceiveFileOpenRequest());
}

TEST_F(DesktopPlatformTest, AStartWithoutFilesPostsNothing)
{
    platform.start({});

    EXPECT_EQ(posted.size(), 0);
}

TEST_F(DesktopPlatformTest, ALaterStartWithoutFilesIsAReopenAndWithFilesAnOpenRequest)
{
    ASSERT_EQ(lock.tryLock(), InstanceLock::Attempt::locked);
    platform.start({});

    handOver({{file(u"/home/aki/b.pptx"_s)}});
    handOver({});

    ASSERT_EQ(posted.size(), 2);
    EXPECT_EQ(postedURLs(0), QList<QUrl>{file(u"/home/aki/b.pptx"_s)});
    EXPECT_TRUE(postedURLs(1).isEmpty());
    EXPECT_EQ(tracker.pendingFileOpenRequestURLs(), QList<QUrl>{file(u"/home/aki/b.pptx"_s)});
}

TEST_F(DesktopPlatformTest, AFileOpenEventIsAnOpenRequest)
{
    platform.start({});

    QFileOpenEvent event(u"/Users/aki/report.xlsx"_s);
    EXPECT_TRUE(QCoreApplication::sendEvent(QCoreApplication::instance(), &event));

    ASSERT_EQ(posted.size(), 1);
    EXPECT_EQ(postedURLs(0), QList<QUrl>{file(u"/Users/aki/report.xlsx"_s)});
}

} // namespace
