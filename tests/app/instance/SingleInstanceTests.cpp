#include "instance/InstanceAddress.h"
#include "instance/InstanceHandOver.h"
#include "instance/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>

using namespace orvane;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr int timeoutMilliseconds = 10'000;

class SingleInstanceTest : public ::testing::Test {
protected:
    QTemporaryDir runtimeDirectory;
    InstanceAddress address = InstanceAddress::of({{u"XDG_RUNTIME_DIR"_s, runtimeDirectory.path()}});
};

TEST_F(SingleInstanceTest, TheSocketAndItsLockAreInTheRuntimeDirectoryElseNamedForTheUser)
{
    EXPECT_EQ(address.socketPath, runtimeDirectory.filePath(u"orvane.socket"_s));
    EXPECT_EQ(address.lockPath, runtimeDirectory.filePath(u"orvane.socket.lock"_s));
    EXPECT_EQ(InstanceAddress::of({}).socketPath, QDir::temp().filePath(u"orvane-%1/orvane.socket"_s.arg(::getuid())));
}

TEST_F(SingleInstanceTest, OrvaneOnAStandInGoogleIsAnInstanceOfItsOwn)
{
    const auto socketFor = [this](const QString& serviceRoot) {
        return InstanceAddress::of(
                   {{u"XDG_RUNTIME_DIR"_s, runtimeDirectory.path()}, {u"ORVANE_GOOGLE_SERVICE_ROOT"_s, serviceRoot}})
            .socketPath;
    };
    const QString emulator = socketFor(u"http://127.0.0.1:8765"_s);
    EXPECT_NE(emulator, address.socketPath);
    EXPECT_NE(emulator, socketFor(u"http://127.0.0.1:8766"_s));
    EXPECT_EQ(emulator, socketFor(u"http://127.0.0.1:8765/"_s));
    EXPECT_TRUE(emulator.startsWith(runtimeDirectory.filePath(u"orvane-"_s))) << emulator.toStdString();
    EXPECT_TRUE(emulator.endsWith(u".socket"_s));
    // Empty: Google itself, the same instance as without the variable.
    EXPECT_EQ(socketFor(QString()), address.socketPath);
}

TEST_F(SingleInstanceTest, ConnectionsWithoutARequestAreClosedUnansweredAndTheServerServesOn)
{
    SingleInstance instance(address.socketPath);
    QSignalSpy received(&instance, &SingleInstance::requestReceived);
    ASSERT_TRUE(instance.listen());

    // The senders here share the server's event loop: they wait by turning it.
    for (const QByteArray& message : {QByteArray("open /etc/passwd\n"), QByteArray(R"({"openFiles": ["x.csv"]})" "\n")}) {
        QLocalSocket sender;
        sender.connectToServer(address.socketPath);
        ASSERT_TRUE(sender.waitForConnected(timeoutMilliseconds));
        sender.write(message);
        ASSERT_TRUE(QTest::qWaitFor([&sender] { return sender.state() == QLocalSocket::UnconnectedState; },
                                    timeoutMilliseconds));
        EXPECT_EQ(sender.readAll(), QByteArray()) << message.constData();
    }
    QLocalSocket reopen;
    reopen.connectToServer(address.socketPath);
    ASSERT_TRUE(reopen.waitForConnected(timeoutMilliseconds));
    reopen.write(InstanceRequest{}.encoded());
    ASSERT_TRUE(QTest::qWaitFor([&reopen] { return reopen.bytesAvailable() > 0; }, timeoutMilliseconds));

    EXPECT_EQ(reopen.readAll(), InstanceRequest::acknowledgement);
    ASSERT_EQ(received.size(), 1);
    EXPECT_TRUE(received.at(0).at(0).value<InstanceRequest>().isReopen());
}

TEST_F(SingleInstanceTest, TooLargeMalformedAndSlowMessagesAreDroppedWhileOtherRequestsAreTaken)
{
    SingleInstance instance(address.socketPath, 1s);
    QSignalSpy received(&instance, &SingleInstance::requestReceived);
    ASSERT_TRUE(instance.listen());
    const auto connected = [this] {
        auto sender = std::make_unique<QLocalSocket>();
        sender->connectToServer(address.socketPath);
        EXPECT_TRUE(sender->waitForConnected(timeoutMilliseconds));
        return sender;
    };
    const auto closedUnanswered = [](QLocalSocket& sender) {
        return QTest::qWaitFor([&sender] { return sender.state() == QLocalSocket::UnconnectedState; },
                               timeoutMilliseconds)
            && sender.readAll().isEmpty();
    };
    const auto taken = [&](const InstanceRequest& request) {
        const auto sender = connected();
        sender->write(request.encoded());
        return QTest::qWaitFor([&sender] { return sender->bytesAvailable() >= 6; }, timeoutMilliseconds)
            && sender->readAll() == InstanceRequest::acknowledgement;
    };
    const InstanceRequest first{{QUrl::fromLocalFile(u"/home/aki/first.csv"_s)}};
    const InstanceRequest second{{QUrl::fromLocalFile(u"/home/aki/second.csv"_s)}};

    // Half a request, and then nothing: the others do not wait for it.
    const auto slow = connected();
    slow->write(first.encoded().first(10));
    EXPECT_TRUE(taken(first));
    EXPECT_EQ(slow->state(), QLocalSocket::ConnectedState);
    EXPECT_TRUE(closedUnanswered(*slow));

    const auto tooLarge = connected();
    QByteArray endless = R"({"openFiles": [")";
    endless.append(InstanceRequest::maximumEncodedSize, 'a');
    tooLarge->write(endless);
    EXPECT_TRUE(closedUnanswered(*tooLarge));

    for (const QByteArray& malformed : {QByteArray("\xff\xfe{\"openFiles\"\n"), QByteArray(R"({"openFiles": "/x"})" "\n"),
                                        QByteArray("\n")}) {
        const auto sender = connected();
        sender->write(malformed);
        EXPECT_TRUE(closedUnanswered(*sender)) << malformed.toHex().constData();
    }

    EXPECT_TRUE(taken(second));
    EXPECT_TRUE(instance.isListening());
    ASSERT_EQ(received.size(), 2);
    EXPECT_EQ(received.at(0).at(0).value<InstanceRequest>(), first);
    EXPECT_EQ(received.at(1).at(0).value<InstanceRequest>(), second);
}

TEST_F(SingleInstanceTest, ASocketLeftBehindIsReplaced)
{
    {
        QFile leftBehind(address.socketPath);
        ASSERT_TRUE(leftBehind.open(QIODevice::WriteOnly));
    }
    SingleInstance instance(address.socketPath);

    EXPECT_TRUE(instance.listen());
}

TEST_F(SingleInstanceTest, AfterItStopsTakingRequestsNobodyIsListening)
{
    SingleInstance instance(address.socketPath);
    ASSERT_TRUE(instance.listen());

    instance.stopTakingRequests();

    EXPECT_FALSE(instance.isListening());
    EXPECT_FALSE(QFile::exists(address.socketPath));
    EXPECT_FALSE(InstanceHandOver(address, {}).tryOnce(std::chrono::steady_clock::now() + std::chrono::seconds(1)));
}

} // namespace
