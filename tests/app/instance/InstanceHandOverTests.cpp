#include "instance/InstanceHandOver.h"
#include "instance/InstanceLock.h"
#include "instance/SingleInstance.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <future>

using namespace orvane;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using Outcome = InstanceHandOver::Outcome;

constexpr int timeoutMilliseconds = 10'000;

// A start's hand-over runs in a thread of its own, as it would in a process
// of its own, while the test's event loop serves as the running Orvane.
class InstanceHandOverTest : public ::testing::Test {
protected:
    std::future<Outcome> startHandOver(const InstanceRequest& request, InstanceLock* lock = nullptr,
                                       std::chrono::milliseconds patience = InstanceHandOver::defaultPatience)
    {
        return std::async(std::launch::async, [this, request, lock, patience] {
            InstanceHandOver handOver(address, request, patience);
            return lock ? handOver.handOverOrLock(*lock) : handOver.handOver();
        });
    }

    static bool waitFor(const std::future<Outcome>& outcome)
    {
        return QTest::qWaitFor([&outcome] { return outcome.wait_for(0s) == std::future_status::ready; },
                               timeoutMilliseconds);
    }

    QTemporaryDir runtime;
    InstanceAddress address = InstanceAddress::at(runtime.filePath(u"orvane.socket"_s));
    const InstanceRequest request{{QUrl::fromLocalFile(u"/home/aki/sales.csv"_s)}};
};

TEST_F(InstanceHandOverTest, WhereNoOrvaneRunsTheLauncherIsToldToStartOneAtOnce)
{
    QElapsedTimer clock;
    clock.start();

    EXPECT_EQ(InstanceHandOver(address, request).handOver(), Outcome::noneRunning);
    EXPECT_LT(clock.elapsed(), 1000);
}

// The running Orvane was busy (this event loop does not turn) while one
// start gave up and another died: neither request is opened once it gets to
// them, and a start that waits is served as usual.
TEST_F(InstanceHandOverTest, RequestsWhoseSendersGaveUpOrDiedBeforeTheAnswerAreDropped)
{
    InstanceLock running(address.lockPath);
    ASSERT_EQ(running.tryLock(), InstanceLock::Attempt::locked);
    SingleInstance instance(address.socketPath);
    ASSERT_TRUE(instance.listen());
    QSignalSpy received(&instance, &SingleInstance::requestReceived);

    std::future<Outcome> gaveUp = startHandOver(request, nullptr, 200ms);
    ASSERT_EQ(gaveUp.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(gaveUp.get(), Outcome::unanswered);
    {
        QLocalSocket died;
        died.connectToServer(address.socketPath);
        ASSERT_TRUE(died.waitForConnected(timeoutMilliseconds));
        died.write(InstanceRequest{{QUrl::fromLocalFile(u"/home/aki/died.csv"_s)}}.encoded());
        ASSERT_TRUE(died.waitForBytesWritten(timeoutMilliseconds));
    }
    const InstanceRequest waiting{{QUrl::fromLocalFile(u"/home/aki/waiting.csv"_s)}};
    std::future<Outcome> served = startHandOver(waiting);

    ASSERT_TRUE(waitFor(served));
    EXPECT_EQ(served.get(), Outcome::handedOver);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.at(0).at(0).value<InstanceRequest>(), waiting);
}

TEST_F(InstanceHandOverTest, WhileTheRunningOrvaneStartsUpTheHandOverWaitsForItsSocket)
{
    InstanceLock starting(address.lockPath);
    ASSERT_EQ(starting.tryLock(), InstanceLock::Attempt::locked);
    SingleInstance instance(address.socketPath);
    QSignalSpy received(&instance, &SingleInstance::requestReceived);

    const std::future<Outcome> outcome = startHandOver(request);
    QTest::qWait(300);
    ASSERT_EQ(outcome.wait_for(0s), std::future_status::timeout);
    ASSERT_TRUE(instance.listen());

    ASSERT_TRUE(waitFor(outcome));
    EXPECT_EQ(received.size(), 1);
}

// The running Orvane decided to quit with this request in its queue: the
// launcher must not take the closed connection for a hand-over.
TEST_F(InstanceHandOverTest, AnOrvaneThatQuitsWithoutTakingTheRequestLeavesTheLauncherToStartAnother)
{
    auto quitting = std::make_unique<InstanceLock>(address.lockPath);
    ASSERT_EQ(quitting->tryLock(), InstanceLock::Attempt::locked);
    SingleInstance instance(address.socketPath);
    ASSERT_TRUE(instance.listen());
    QSignalSpy received(&instance, &SingleInstance::requestReceived);
    // The request waits in the socket's queue: this event loop is not turning.
    std::future<Outcome> outcome = startHandOver(request);
    ASSERT_EQ(outcome.wait_for(300ms), std::future_status::timeout);

    instance.stopTakingRequests();
    QCoreApplication::processEvents();
    quitting.reset();

    ASSERT_TRUE(waitFor(outcome));
    EXPECT_EQ(outcome.get(), Outcome::noneRunning);
    EXPECT_EQ(received.size(), 0);
}

TEST_F(InstanceHandOverTest, OfTwoStartsTheOneThatFindsTheLockTakenHandsItsRequestToTheOther)
{
    InstanceLock first(address.lockPath);
    ASSERT_EQ(InstanceHandOver(address, {}).handOverOrLock(first), Outcome::noneRunning);
    ASSERT_TRUE(first.isLocked());
    SingleInstance instance(address.socketPath);
    ASSERT_TRUE(instance.listen());
    QSignalSpy received(&instance, &SingleInstance::requestReceived);

    InstanceLock second(address.lockPath);
    std::future<Outcome> outcome = startHandOver(request, &second);

    ASSERT_TRUE(waitFor(outcome));
    EXPECT_EQ(outcome.get(), Outcome::handedOver);
    EXPECT_FALSE(second.isLocked());
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.at(0).at(0).value<InstanceRequest>(), request);
}

// More than one message can carry: each part is taken before the next is
// sent, and the running Orvane gets the files in the order of the selection.
TEST_F(InstanceHandOverTest, TenThousandFilesInOneStartAreHandedOverInSeveralTakenMessagesInOrder)
{
    InstanceLock running(address.lockPath);
    ASSERT_EQ(running.tryLock(), InstanceLock::Attempt::locked);
    SingleInstance instance(address.socketPath);
    ASSERT_TRUE(instance.listen());
    QList<QUrl> received;
    int messages = 0;
    QObject::connect(&instance, &SingleInstance::requestReceived, [&](const InstanceRequest& taken) {
        received.append(taken.fileURLs);
        ++messages;
    });
    InstanceRequest selection;
    for (int index = 0; index < 10'000; ++index)
        selection.fileURLs.append(QUrl::fromLocalFile(u"/home/aki/%1/%2.csv"_s.arg(QString(200, u'x')).arg(index)));

    std::future<Outcome> outcome = startHandOver(selection, nullptr, 5s);

    ASSERT_TRUE(waitFor(outcome));
    EXPECT_EQ(outcome.get(), Outcome::handedOver);
    EXPECT_EQ(messages, 3);
    EXPECT_EQ(received, selection.fileURLs);
}

} // namespace
