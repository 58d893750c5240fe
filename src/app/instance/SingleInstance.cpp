#include "instance/SingleInstance.h"

#include "instance/InstanceAddress.h"
#include "instance/InstanceRequestReader.h"
#include "instance/SameUser.h"

#include <QLocalSocket>
#include <QTimer>

#include <sys/socket.h>

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

void SingleInstance::setKeeper(std::function<bool(const InstanceRequest&)> keep,
                               std::function<void(const InstanceRequest&)> letGo)
{
    keep_ = std::move(keep);
    letGo_ = std::move(letGo);
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
    if (!server_.isListening())
        return;
    const InstanceRequest request = *reader.request();
    if (keep_ && !keep_(request)) {
        connection.abort();
        return;
    }
    const bool senderHasTheAnswer = answer(connection);
    connection.disconnectFromServer();
    // A sender without the answer tries again, starts Orvane, or has given up:
    // its request is not this Orvane's to open.
    if (senderHasTheAnswer)
        Q_EMIT requestReceived(request);
    else if (letGo_)
        letGo_(request);
}

bool SingleInstance::answer(QLocalSocket& connection)
{
    // Sent at once and checked, past Qt's write buffer: a sender that has
    // gone, or shut its end when it gave up, makes the send fail.
    const QByteArray& answer = InstanceRequest::acknowledgement;
    return ::send(int(connection.socketDescriptor()), answer.constData(), size_t(answer.size()),
                  MSG_NOSIGNAL | MSG_DONTWAIT)
        == answer.size();
}

} // namespace orvane
