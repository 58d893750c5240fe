#include "HttpServer.h"

#include "HttpConnection.h"

namespace orvane::emulator {

HttpServer::HttpServer(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &HttpServer::acceptConnections);
}

bool HttpServer::listen(quint16 port)
{
    return m_server.listen(QHostAddress::LocalHost, port);
}

void HttpServer::acceptConnections()
{
    Q_ASSERT(m_handler);
    while (QTcpSocket* socket = m_server.nextPendingConnection())
        new HttpConnection(socket, *m_handler, this);
}

} // namespace orvane::emulator
