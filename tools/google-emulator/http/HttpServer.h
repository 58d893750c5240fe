#pragma once

#include "RequestHandler.h"

#include <QTcpServer>

namespace orvane::emulator {

// A small strict HTTP/1.1 server on 127.0.0.1. Request bodies are streamed to the
// handler's sinks as they arrive, so a large upload is never held in memory.
class HttpServer final : public QObject {
    Q_OBJECT

public:
    explicit HttpServer(QObject* parent = nullptr);

    // Listens on 127.0.0.1 at port, or at a free port when port is 0. Connections are
    // accepted once the event loop runs; the handler must be set by then.
    bool listen(quint16 port);
    void setRequestHandler(RequestHandler& handler) { m_handler = &handler; }
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }

private:
    void acceptConnections();

    RequestHandler* m_handler = nullptr;
    QTcpServer m_server;
};

} // namespace orvane::emulator
