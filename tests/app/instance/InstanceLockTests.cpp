#include "instance/InstanceLock.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

using Attempt = InstanceLock::Attempt;

class InstanceLockTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    QString path = folder.filePath(u"orvane.socket.lock"_s);
};

TEST_F(InstanceLockTest, OneHolderAtATimeUntilItLetsGo)
{
    auto first = std::make_unique<InstanceLock>(path);
    ASSERT_EQ(first->tryLock(), Attempt::locked);
    InstanceLock second(path);

    EXPECT_EQ(second.tryLock(), Attempt::heldElsewhere);
    EXPECT_TRUE(InstanceLock::isHeld(path));

    first.reset();
    EXPECT_FALSE(InstanceLock::isHeld(path));
    EXPECT_EQ(second.tryLock(), Attempt::locked);
    EXPECT_EQ(QFile::permissions(path) & (QFile::ReadGroup | QFile::ReadOther), 0);
}

// The browser Orvane starts outlives it; holding the lock, it would keep
// every later Orvane from starting.
TEST_F(InstanceLockTest, AProgramStartedByTheHolderDoesNotKeepTheLock)
{
    auto lock = std::make_unique<InstanceLock>(path);
    ASSERT_EQ(lock->tryLock(), Attempt::locked);
    QProcess browser;
    browser.start(u"sleep"_s, {u"30"_s});
    ASSERT_TRUE(browser.waitForStarted());

    lock.reset();

    EXPECT_FALSE(InstanceLock::isHeld(path));
    browser.kill();
    browser.waitForFinished();
}

TEST_F(InstanceLockTest, AFolderWhereNoLockCanBeMadeIsSaidSo)
{
    InstanceLock lock(folder.filePath(u"missing/orvane.socket.lock"_s));

    EXPECT_EQ(lock.tryLock(), Attempt::unavailable);
    EXPECT_FALSE(lock.isLocked());
    EXPECT_FALSE(InstanceLock::isHeld(lock.path()));
}

} // namespace
