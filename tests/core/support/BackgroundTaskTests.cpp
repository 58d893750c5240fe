#include "AwaitTask.h"
#include "support/BackgroundTask.h"
#include "support/FileError.h"

#include <QThread>

#include <gtest/gtest.h>

using namespace orvane;

TEST(BackgroundTask, RunsOffTheCallingThreadAndReturnsTheResult)
{
    QThread* const caller = QThread::currentThread();
    const auto worker = testsupport::awaitTask(runInBackground([] { return QThread::currentThread(); }));
    EXPECT_NE(worker, caller);
    EXPECT_EQ(QThread::currentThread(), caller);
}

TEST(BackgroundTask, CarriesAnyExceptionBackToTheAwaitingCoroutine)
{
    const auto failing = [] () -> int { throw FileError(FileError::Kind::notFound, QStringLiteral("/nowhere")); };
    try {
        testsupport::awaitTask(runInBackground(failing));
        FAIL() << "no exception";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), QStringLiteral("/nowhere"));
    }
    bool ran = false;
    testsupport::awaitTask(runInBackground([&ran] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_THROW(testsupport::awaitTask(runInBackground([] { throw std::runtime_error("x"); })), std::runtime_error);
}
