#include "shell/AppDelegate.h"
#include "shell/DesktopPlatform.h"
#include "shell/LaunchIntentTracker.h"
#include "shell/OpenURLsNotification.h"
#include "platform/SingleInstance.h"

#include <QDir>
#include <QFileOpenEvent>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>


using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

constexpr int timeoutMilliseconds = 10'000;

QUrl file(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

// Two instances in one process: enough for the socket and the message.
class SingleInstanceTest : public ::testing::Test {
protected:
    QTemporaryDir runtimeDirectory;
    QString serverName = SingleInstance::serverName({{u"XDG_RUNTIME_DIR"_s, runtimeDirectory.path()}});
};

TEST_F(SingleInstanceTest, ServerIsASocketInTheRuntimeDirectoryElseNamedForTheUser)
{
    EXPECT_EQ(serverName, runtimeDirectory.filePath(u"orvane.socket"_s));
    EXPECT_EQ(SingleInstance::serverName({}), u"orvane-%1.socket"_s.arg(::getuid()));
}

TEST_F(SingleInstanceTest, OrvaneOnAStandInGoogleIsAnInstanceOfItsOwn)
{
    const auto serverNameFor = [this](const QString& serviceRoot) {
        return SingleInstance::serverName(
            {{u"XDG_RUNTIME_DIR"_s, runtimeDirectory.path()}, {u"ORVANE_GOOGLE_SERVICE_ROOT"_s, serviceRoot}});
    };
    const QString emulator = serverNameFor(u"http://127.0.0.1:8765"_s);
    EXPECT_NE(emulator, serverName);
    EXPECT_NE(emulator, serverNameFor(u"http://127.0.0.1:8766"_s));
    EXPECT_EQ(emulator, serverNameFor(u"http://127.0.0.1:8765/"_s));
    EXPECT_TRUE(emulator.startsWith(runtimeDirectory.filePath(u"orvane-"_s))) << emulator.toStdString();
    EXPECT_TRUE(emulator.endsWith(u".socket"_s));
    // An empty variable is no stand-in.
    EXPECT_EQ(serverNameFor(QString()), serverName);
}

TEST_F(SingleInstanceTest, LaterInstanceHandsItsRequestToTheFirst)
{
    SingleInstance first(serverName);
    QSignalSpy received(&first, &SingleInstance::requestReceived);
    ASSERT_EQ(first.start({}), SingleInstance::Role::primary);
    EXPECT_TRUE(first.isListening());

    const InstanceRequest request{{file(u"/home/aki/a.csv"_s), file(u"/home/aki/b.docx"_s)}};
    SingleInstance second(serverName);
    EXPECT_EQ(second.start(request), SingleInstance::Role::handedOver);
    EXPECT_FALSE(second.isListening());

    ASSERT_TRUE(received.wait(timeoutMilliseconds));
    EXPECT_EQ(received.at(0).at(0).value<InstanceRequest>(), request);
}

TEST_F(SingleInstanceTest, ServerKeepsServingAfterMalformedMessages)
{
    SingleInstance first(serverName);
    QSignalSpy received(&first, &SingleInstance::requestReceived);
    ASSERT_EQ(first.start({}), SingleInstance::Role::primary);

    for (const QByteArray& message : {QByteArray("open /etc/passwd"), QByteArray(R"({"openFiles": ["x.csv"]})")}) {
        QLocalSocket sender;
        sender.connectToServer(serverName);
        ASSERT_TRUE(sender.waitForConnected(timeoutMilliseconds));
        sender.write(message);
        sender.disconnectFromServer();
    }
    SingleInstance reopen(serverName);
    ASSERT_EQ(reopen.start({}), SingleInstance::Role::handedOver);

    ASSERT_TRUE(received.wait(timeoutMilliseconds));
    ASSERT_EQ(received.size(), 1);
    EXPECT_TRUE(received.at(0).at(0).value<InstanceRequest>().isReopen());
}

TEST_F(SingleInstanceTest, SocketLeftBehindIsReplaced)
{
    const QString socketPath = serverName;
    {
        QFile leftBehind(socketPath);
        ASSERT_TRUE(leftBehind.open(QIODevice::WriteOnly));
    }

    SingleInstance first(serverName);
    EXPECT_EQ(first.start({}), SingleInstance::Role::primary);
    EXPECT_TRUE(first.isListening());
}

// The desktop's events reach the delegate.
class DesktopPlatformTest : public SingleInstanceTest {
protected:
    LaunchIntentTracker tracker;
    OpenURLsNotification notification;
    AppDelegate delegate{tracker, notification};
    DesktopPlatform platform{delegate, serverName};
    QSignalSpy posted{&notification, &OpenURLsNotification::posted};

    QList<QUrl> postedURLs(qsizetype index) const { return posted.at(index).at(0).value<QList<QUrl>>(); }
};

TEST_F(DesktopPlatformTest, FirstInstanceOpensItsOwnFiles)
{
    const InstanceRequest request{{file(u"/home/aki/a.csv"_s)}};

    ASSERT_EQ(platform.start(request), SingleInstance::Role::primary);

    ASSERT_EQ(posted.size(), 1);
    EXPECT_EQ(postedURLs(0), request.fileURLs);
    EXPECT_TRUE(tracker.didReceiveFileOpenRequest());
}

TEST_F(DesktopPlatformTest, FirstInstanceWithoutFilesPostsNothing)
{
    ASSERT_EQ(platform.start({}), SingleInstance::Role::primary);

    EXPECT_EQ(posted.size(), 0);
}

TEST_F(DesktopPlatformTest, LaterStartWithoutFilesIsAReopenAndWithFilesAnOpenRequest)
{
    ASSERT_EQ(platform.start({}), SingleInstance::Role::primary);

    ASSERT_EQ(SingleInstance(serverName).start({{file(u"/home/aki/b.pptx"_s)}}), SingleInstance::Role::handedOver);
    ASSERT_TRUE(posted.wait(timeoutMilliseconds));
    ASSERT_EQ(SingleInstance(serverName).start({}), SingleInstance::Role::handedOver);
    ASSERT_TRUE(posted.wait(timeoutMilliseconds));

    ASSERT_EQ(posted.size(), 2);
    EXPECT_EQ(postedURLs(0), QList<QUrl>{file(u"/home/aki/b.pptx"_s)});
    EXPECT_TRUE(postedURLs(1).isEmpty());
    EXPECT_EQ(tracker.pendingFileOpenRequestURLs(), QList<QUrl>{file(u"/home/aki/b.pptx"_s)});
}

TEST_F(DesktopPlatformTest, FileOpenEventIsAnOpenRequest)
{
    ASSERT_EQ(platform.start({}), SingleInstance::Role::primary);

    QFileOpenEvent event(u"/Users/aki/report.xlsx"_s);
    EXPECT_TRUE(QCoreApplication::sendEvent(QCoreApplication::instance(), &event));

    ASSERT_EQ(posted.size(), 1);
    EXPECT_EQ(postedURLs(0), QList<QUrl>{file(u"/Users/aki/report.xlsx"_s)});
}

} // namespace
