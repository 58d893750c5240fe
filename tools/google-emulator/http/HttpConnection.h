#pragma once

#include "BodyDecoder.h"
#include "RequestHandler.h"

#include <QObject>
#include <QTcpSocket>

#include <vector>

namespace orvane::emulator {

// One client connection: reads request heads, hands each to the handler, streams
// the body into the sink the handler chose and writes the answer. Requests on one
// connection are answered in order (keep-alive and pipelining).
class HttpConnection final : public QObject {
    Q_OBJECT

public:
    HttpConnection(QTcpSocket* socket, RequestHandler& handler, QObject* parent);

private:
    friend class HttpExchange;
    enum class State { ReadingHead, AwaitingHandler, ReadingBody, Closed };

    void process();
    bool takeRequestHead();
    bool readBody();
    void feedBody(QByteArrayView data);
    void finishRequest();
    void acceptBody(quint64 requestNumber, std::unique_ptr<BodySink> sink);
    void drop(quint64 requestNumber);
    void refuseAndClose(int status, const QByteArray& reason);
    // Tells the sink of a body that will never be complete.
    void abandonBody();
    void close();

    QTcpSocket* m_socket;
    RequestHandler& m_handler;
    State m_state = State::ReadingHead;
    bool m_processing = false;
    quint64 m_requestNumber = 0;
    QByteArray m_pending; // received bytes not yet taken by a head or a body
    std::vector<char> m_readBuffer;
    ParsedRequestHead m_request;
    std::optional<BodyDecoder> m_body;
    std::unique_ptr<BodySink> m_sink;
};

} // namespace orvane::emulator
