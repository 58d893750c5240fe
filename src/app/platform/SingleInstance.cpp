#include "platform/SingleInstance.h"

#include "routing/GoogleServiceEndpoints.h"

#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

#include <unistd.h>

#include <chrono>
#include <memory>

using namespace std::chrono_literals;

namespace orvane {

namespace {

// A running instance accepts at once (the kernel queues the connection even
// while its event loop is busy), and a stale socket is refused at once.
constexpr auto connectTimeout = 1s;
constexpr auto deliveryTimeout = 2s;
// Another process deciding at the same moment holds the lock for milliseconds.
constexpr auto decisionLockTimeout = 3s;
// A sender that stays connected without finishing its message is dropped.
constexpr auto receiveTimeout = 5s;

int milliseconds(std::chrono::milliseconds duration)
{
    return int(duration.count());
}

} // namespace

QString SingleInstance::serverName(const Environment& environment)
{
    // An Orvane pointed at a stand-in Google (the demo, tests) is a separate
    // instance: files for the user's real Orvane must never reach it.
    QString instance = QStringLiteral("orvane");
    if (const std::optional<QString> standIn = GoogleServiceEndpoints::fromEnvironment(environment).standInName())
        instance += QLatin1Char('-') + *standIn;

    const QString runtimeDirectory = environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
    if (!runtimeDirectory.isEmpty())
        return QDir(runtimeDirectory).filePath(instance + QStringLiteral(".socket"));
    return QStringLiteral("%1-%2.socket").arg(instance).arg(::getuid());
}

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), serverName_(std::move(serverName))
{
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

SingleInstance::Role SingleInstance::start(const InstanceRequest& request)
{
    // Without the lock, two processes starting together could both find no
    // server, and the second would remove the first one's fresh socket.
    // A lock that cannot be had (left by a crashed process is detected and
    // taken over by QLockFile) must not stop the start.
    QLockFile decisionLock(QDir(QDir::tempPath()).filePath(serverName_) + QStringLiteral(".lock"));
    decisionLock.tryLock(milliseconds(decisionLockTimeout));
    if (handOver(request))
        return Role::handedOver;
    listen();
    return Role::primary;
}

bool SingleInstance::handOver(const InstanceRequest& request) const
{
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(milliseconds(connectTimeout)))
        return false;
    // A connected peer is a live instance: its socket buffer takes a message
    // this small even while it is busy.
    socket.write(request.encoded());
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(milliseconds(deliveryTimeout));
    return true;
}

void SingleInstance::listen()
{
    // Called only after connecting failed: whatever socket file is there
    // belongs to no running instance.
    QLocalServer::removeServer(serverName_);
    server_.listen(serverName_);
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* connection = server_.nextPendingConnection()) {
        auto message = std::make_shared<QByteArray>();
        auto readAvailable = [connection, message] {
            message->append(connection->readAll());
            if (message->size() > InstanceRequest::maximumEncodedSize)
                connection->abort();
        };
        connect(connection, &QLocalSocket::readyRead, connection, readAvailable);
        connect(connection, &QLocalSocket::disconnected, this, [this, connection, message, readAvailable] {
            readAvailable();
            connection->deleteLater();
            if (const std::optional<InstanceRequest> request = InstanceRequest::decode(*message))
                Q_EMIT requestReceived(*request);
        });
        QTimer::singleShot(receiveTimeout, connection, [connection, message] {
            message->clear();
            connection->abort();
        });
    }
}

} // namespace orvane
