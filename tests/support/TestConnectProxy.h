#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>

namespace orvane::testsupport {

// An HTTP proxy on 127.0.0.1 that only tunnels (CONNECT), as HTTPS through a
// proxy goes: it notes each tunnel's target and counts the bytes the client
// sent through it. It tunnels to 127.0.0.1 only.
class TestConnectProxy final : public QObject {
    Q_OBJECT

public:
    TestConnectProxy();

    quint16 port() const { return m_server.serverPort(); }
    // "127.0.0.1:port" for every tunnel opened, in order.
    const QList<QByteArray>& tunnels() const { return m_tunnels; }
    // Bytes clients sent through all tunnels.
    qint64 bytesFromClients() const { return m_bytesFromClients; }

private:
    void accept();

    QTcpServer m_server;
    QList<QByteArray> m_tunnels;
    qint64 m_bytesFromClients = 0;
};

} // namespace orvane::testsupport
