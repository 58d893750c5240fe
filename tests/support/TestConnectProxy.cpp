#include "TestConnectProxy.h"

#include <QTcpSocket>

#include <memory>

namespace orvane::testsupport {

TestConnectProxy::TestConnectProxy()
{
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, &TestConnectProxy::accept);
}

void TestConnectProxy::accept()
{
    while (QTcpSocket* client = m_server.nextPendingConnection()) {
        auto* upstream = new QTcpSocket(client);
        auto head = std::make_shared<QByteArray>();
        const auto closeBoth = [client, upstream] {
            client->disconnectFromHost();
            upstream->disconnectFromHost();
        };
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QTcpSocket::disconnected, upstream, closeBoth);
        connect(upstream, &QTcpSocket::disconnected, client, closeBoth);
        connect(upstream, &QTcpSocket::connected, client,
                [client] { client->write("HTTP/1.1 200 Connection established\r\n\r\n"); });
        connect(upstream, &QTcpSocket::readyRead, client, [client, upstream] { client->write(upstream->readAll()); });
        connect(client, &QTcpSocket::readyRead, upstream, [this, client, upstream, head] {
            if (upstream->state() == QAbstractSocket::ConnectedState) {
                const QByteArray bytes = client->readAll();
                m_bytesFromClients += bytes.size();
                upstream->write(bytes);
                return;
            }
            *head += client->readAll();
            const qsizetype end = head->indexOf("\r\n\r\n");
            if (end < 0 || upstream->state() != QAbstractSocket::UnconnectedState)
                return;
            const QList<QByteArray> requestLine = head->left(head->indexOf("\r\n")).split(' ');
            const QByteArray target = requestLine.value(1);
            const qsizetype colon = target.lastIndexOf(':');
            if (requestLine.value(0) != "CONNECT" || !target.startsWith("127.0.0.1:") || colon < 0) {
                client->write("HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                client->disconnectFromHost();
                return;
            }
            m_tunnels.append(target);
            upstream->connectToHost(QHostAddress::LocalHost, quint16(target.mid(colon + 1).toUInt()));
        });
    }
}

} // namespace orvane::testsupport
