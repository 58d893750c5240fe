#include "instance/InstanceAddress.h"
#include "instance/InstanceHandOver.h"
#include "instance/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <linux/securebits.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr uid_t anotherUser = 65534; // nobody
constexpr int timeoutMilliseconds = 10'000;

const InstanceRequest request{{QUrl::fromLocalFile(u"/home/aki/sales.csv"_s)}};

// What a process of another user can do with the socket, for exit statuses.
enum Seen { nothing = 0, answered = 1, bytesReceived = 2, failed = 3 };

// A child process running as another user, but keeping root's power over
// files: the only way for another user to reach a socket in the user's
// private folder at all, so that what is left to refuse it is the check of
// its credentials.
pid_t asAnotherUser(const std::function<Seen()>& run)
{
    const pid_t child = ::fork();
    if (child != 0)
        return child;
    if (::prctl(PR_SET_SECUREBITS, SECBIT_NO_SETUID_FIXUP) != 0 || ::setegid(anotherUser) != 0
        || ::seteuid(anotherUser) != 0)
        ::_exit(failed);
    ::_exit(run());
}

int localSocket(const QString& path, bool listening)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const auto* socketAddress = reinterpret_cast<const sockaddr*>(&address);
    const bool ready = listening ? ::bind(descriptor, socketAddress, sizeof address) == 0 && ::listen(descriptor, 4) == 0
                                 : ::connect(descriptor, socketAddress, sizeof address) == 0;
    return ready ? descriptor : -1;
}

// Until the descriptor has something to read or the peer closed; false after a while.
bool readable(int descriptor)
{
    pollfd watched{.fd = descriptor, .events = POLLIN, .revents = 0};
    return ::poll(&watched, 1, 3000) == 1;
}

// Runs the test's event loop, which serves the running Orvane, until the child has ended.
Seen waitForChild(pid_t child)
{
    int status = 0;
    if (!QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, timeoutMilliseconds)) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return failed;
    }
    return WIFEXITED(status) ? Seen(WEXITSTATUS(status)) : failed;
}

class SameUserOnlyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "acting as another user needs root";
    }

    QTemporaryDir runtime;
    InstanceAddress address = InstanceAddress::at(runtime.filePath(u"orvane.socket"_s));
};

TEST_F(SameUserOnlyTest, TheRunningOrvaneClosesAConnectionFromAnotherUserUnreadAndServesOn)
{
    SingleInstance instance(address.socketPath);
    QSignalSpy received(&instance, &SingleInstance::requestReceived);
    ASSERT_TRUE(instance.listen());

    const pid_t intruder = asAnotherUser([this] {
        const int connection = localSocket(address.socketPath, false);
        if (connection < 0)
            return failed;
        const QByteArray message = request.encoded();
        if (::send(connection, message.constData(), size_t(message.size()), MSG_NOSIGNAL) != message.size())
            return failed;
        char answer[16];
        if (!readable(connection))
            return failed;
        return ::recv(connection, answer, sizeof answer, 0) > 0 ? answered : nothing;
    });

    EXPECT_EQ(waitForChild(intruder), nothing);
    EXPECT_TRUE(received.isEmpty());

    QLocalSocket user;
    user.connectToServer(address.socketPath);
    ASSERT_TRUE(user.waitForConnected(timeoutMilliseconds));
    user.write(request.encoded());
    ASSERT_TRUE(QTest::qWaitFor([&user] { return user.bytesAvailable() > 0; }, timeoutMilliseconds));
    EXPECT_EQ(user.readAll(), InstanceRequest::acknowledgement);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.at(0).at(0).value<InstanceRequest>(), request);
}

TEST_F(SameUserOnlyTest, AStartHandsNothingToASocketOfAnotherUser)
{
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t impostor = asAnotherUser([this, &ready] {
        const int listener = localSocket(address.socketPath, true);
        if (listener < 0)
            return failed;
        ::chmod(QFile::encodeName(address.socketPath).constData(), 0777);
        const char signal = 1;
        if (::write(ready[1], &signal, 1) != 1)
            return failed;
        if (!readable(listener))
            return nothing;
        const int connection = ::accept(listener, nullptr, nullptr);
        char byte;
        if (connection < 0 || !readable(connection))
            return nothing;
        return ::recv(connection, &byte, 1, 0) > 0 ? bytesReceived : nothing;
    });
    ::close(ready[1]);
    char signal = 0;
    ASSERT_EQ(::read(ready[0], &signal, 1), 1) << "the other user's socket is not listening";
    ::close(ready[0]);

    EXPECT_FALSE(InstanceHandOver(address, request).tryOnce(std::chrono::steady_clock::now() + 1s));
    EXPECT_EQ(waitForChild(impostor), nothing);
}

} // namespace

TEST(SocketFolder, AFolderOtherUsersCanWriteToIsNeitherListenedInNorHandedTo)
{
    QTemporaryDir shared;
    ASSERT_TRUE(QFile::setPermissions(shared.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                         | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther));
    const InstanceAddress address = InstanceAddress::at(QDir(shared.path()).filePath(u"orvane.socket"_s));
    // Whoever put a socket there, it is not handed the user's files.
    QLocalServer planted;
    ASSERT_TRUE(planted.listen(address.socketPath));

    EXPECT_FALSE(address.hasPrivateFolder());
    EXPECT_FALSE(InstanceHandOver(address, request).tryOnce(std::chrono::steady_clock::now() + 1s));
    EXPECT_EQ(InstanceHandOver(address, request).handOver(), InstanceHandOver::Outcome::noneRunning);
    EXPECT_FALSE(planted.hasPendingConnections());
    planted.close();
    EXPECT_FALSE(SingleInstance(address.socketPath).listen());
    EXPECT_FALSE(QFile::exists(address.socketPath));

    if (::geteuid() == 0) {
        QTemporaryDir othersOwn;
        ASSERT_EQ(::chown(QFile::encodeName(othersOwn.path()).constData(), anotherUser, anotherUser), 0);
        EXPECT_FALSE(InstanceAddress::at(QDir(othersOwn.path()).filePath(u"orvane.socket"_s)).hasPrivateFolder());
    }
}

TEST(SocketFolder, WithoutARuntimeFolderTheSocketLivesInAPrivateFolderOfTheUser)
{
    const InstanceAddress address = InstanceAddress::of({});
    EXPECT_EQ(address.socketPath, QDir::temp().filePath(u"orvane-%1/orvane.socket"_s.arg(::getuid())));
    ASSERT_TRUE(address.hasPrivateFolder()) << "made when missing";
    struct stat status {};
    ASSERT_EQ(::lstat(QFile::encodeName(QFileInfo(address.socketPath).path()).constData(), &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    EXPECT_EQ(status.st_uid, ::getuid());
}
