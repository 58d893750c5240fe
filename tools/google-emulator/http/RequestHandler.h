#pragma once

#include "BodySink.h"

#include <QPointer>

#include <memory>

namespace orvane::emulator {

class HttpConnection;

// One request whose head has arrived, waiting for its handler's decision. The
// handler answers it by taking the body into a sink, whose finish() gives the
// response, or drops the connection. It may decide later (a stall); once the
// connection has gone, the calls do nothing.
class HttpExchange {
public:
    void receiveBody(std::unique_ptr<BodySink> sink) const;
    // Reads the body past and answers with response.
    void respond(HttpResponse response) const;
    // Closes the connection at once, without an answer.
    void drop() const;

private:
    friend class HttpConnection;
    HttpExchange(HttpConnection* connection, quint64 requestNumber);

    QPointer<HttpConnection> m_connection;
    quint64 m_requestNumber;
};

class RequestHandler {
public:
    virtual ~RequestHandler() = default;
    virtual void handle(const HttpRequestHead& head, const HttpExchange& exchange) = 0;
};

} // namespace orvane::emulator
