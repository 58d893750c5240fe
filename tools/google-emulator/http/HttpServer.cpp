#include "HttpServer.h"

#include "HttpConnection.h"

#include <QSslServer>

namespace orvane::emulator {

HttpServer::HttpServer(QObject* parent) : QObject(parent) {}

bool HttpServer::listen(quint16 port, const std::optional<QSslConfiguration>& tls)
{
    if (tls) {
        auto server = std::make_unique<QSslServer>();
        server->setSslConfiguration(*tls);
        m_server = std::move(server);
    } else {
        m_server = std::make_unique<QTcpServer>();
    }
    // A TLS connection is pending only once its handshake is done; a client
    // that fails the handshake never reaches the handler.
    connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this, &HttpServer::acceptConnections);
    return m_server->listen(QHostAddress::LocalHost, port);
}

void HttpServer::acceptConnections()
{
    Q_ASSERT(m_handler);
    while (QTcpSocket* socket = m_server->nextPendingConnection())
        new HttpConnection(socket, *m_handler, this);
}

} // namespace orvane::emulator
