#pragma once

#include "RequestHandler.h"

#include <QSslConfiguration>
#include <QTcpServer>

#include <memory>
#include <optional>

namespace orvane::emulator {

// A small strict HTTP/1.1 server on 127.0.0.1, over TCP or over TLS. Request
// bodies are streamed to the handler's sinks as they arrive, so a large upload
// is never held in memory.
class HttpServer final : public QObject {
    Q_OBJECT

public:
    explicit HttpServer(QObject* parent = nullptr);

    // Listens (once) on 127.0.0.1 at port, or at a free port when port is 0; with tls,
    // every connection is HTTPS. Connections are accepted once the event loop
    // runs; the handler must be set by then.
    bool listen(quint16 port, const std::optional<QSslConfiguration>& tls = std::nullopt);
    void setRequestHandler(RequestHandler& handler) { m_handler = &handler; }
    // Both once listen() was called.
    quint16 port() const { return m_server->serverPort(); }
    QString errorString() const { return m_server->errorString(); }

private:
    void acceptConnections();

    RequestHandler* m_handler = nullptr;
    std::unique_ptr<QTcpServer> m_server;
};

} // namespace orvane::emulator
