#include "instance/SingleInstance.h"

#include "instance/InstanceAddress.h"
#include "instance/InstanceRequestReader.h"
#include "instance/SameUser.h"

#include <QLocalSocket>
#include <QTimer>

#include <memory>

namespace orvane {

SingleInstance::SingleInstance(QString socketPath, std::chrono::milliseconds receiveLimit, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath)), receiveLimit_(receiveLimit)
{
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

bool SingleInstance::listen()
{
    if (!InstanceAddress::at(socketPath_).hasPrivateFolder())
        return false;
    QLocalServer::removeServer(socketPath_);
    return server_.listen(socketPath_);
}

void SingleInstance::stopTakingRequests()
{
    server_.close();
    for (QLocalSocket* connection : server_.findChildren<QLocalSocket*>())
        connection->abort();
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* connection = server_.nextPendingConnection()) {
        // Unread: only the user's own processes hand files over.
        if (!peerIsSameUser(int(connection->socketDescriptor()))) {
            connection->abort();
            connection->deleteLater();
            continue;
        }
        auto reader = std::make_shared<InstanceRequestReader>();
        connect(connection, &QLocalSocket::readyRead, connection,
                [this, connection, reader] { read(*connection, *reader); });
        connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
        QTimer::singleShot(receiveLimit_, connection, [connection] { connection->abort(); });
        // The message may have arrived with the connection.
        read(*connection, *reader);
    }
}

void SingleInstance::read(QLocalSocket& connection, InstanceRequestReader& reader)
{
    if (reader.state() != InstanceRequestReader::State::reading)
        return;
    switch (reader.append(connection.readAll())) {
    case InstanceRequestReader::State::reading:
        return;
    case InstanceRequestReader::State::refused:
        connection.abort();
        return;
    case InstanceRequestReader::State::complete:
        break;
    }
    if (connection.state() != QLocalSocket::ConnectedState || !server_.isListening())
        return;
    Q_EMIT requestReceived(*reader.request());
    // Only now: a sender without this answer tries again, or starts Orvane.
    connection.write(InstanceRequest::acknowledgement);
    connection.flush();
    connection.disconnectFromServer();
}

} // namespace orvane
