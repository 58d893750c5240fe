#include "HttpConnection.h"

#include <QScopedValueRollback>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype headLimit = 64 * 1024;
constexpr qsizetype readBufferSize = 1024 * 1024;

} // namespace

HttpExchange::HttpExchange(HttpConnection* connection, quint64 requestNumber)
    : m_connection(connection), m_requestNumber(requestNumber)
{
}

void HttpExchange::receiveBody(std::unique_ptr<BodySink> sink) const
{
    if (m_connection)
        m_connection->acceptBody(m_requestNumber, std::move(sink));
}

void HttpExchange::respond(HttpResponse response) const
{
    receiveBody(std::make_unique<FixedResponseSink>(std::move(response)));
}

void HttpExchange::drop() const
{
    if (m_connection)
        m_connection->drop(m_requestNumber);
}

HttpConnection::HttpConnection(QTcpSocket* socket, RequestHandler& handler, QObject* parent)
    : QObject(parent), m_socket(socket), m_handler(handler), m_readBuffer(readBufferSize)
{
    m_socket->setParent(this);
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_socket, &QTcpSocket::readyRead, this, &HttpConnection::process);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        m_state = State::Closed;
        abandonBody();
        deleteLater();
    });
}

void HttpConnection::process()
{
    // A handler that decides at once calls back into acceptBody() from inside
    // takeRequestHead(); the loop below then goes on with the body.
    if (m_processing)
        return;
    const QScopedValueRollback processing(m_processing, true);
    for (;;) {
        bool progressed = false;
        switch (m_state) {
        case State::ReadingHead: progressed = takeRequestHead(); break;
        case State::ReadingBody: progressed = readBody(); break;
        case State::AwaitingHandler:
        case State::Closed: break;
        }
        if (!progressed)
            return;
    }
}

bool HttpConnection::takeRequestHead()
{
    // Empty lines before a request line are tolerated, as RFC 9112 asks.
    while (m_pending.startsWith("\r\n"))
        m_pending.remove(0, 2);
    const qsizetype end = m_pending.indexOf("\r\n\r\n");
    if (end < 0) {
        if (m_pending.size() > headLimit) {
            refuseAndClose(431, "request head too large"_ba);
            return false;
        }
        const QByteArray received = m_socket->read(headLimit);
        m_pending += received;
        return !received.isEmpty();
    }
    if (end > headLimit) {
        refuseAndClose(431, "request head too large"_ba);
        return false;
    }

    auto parsed = parseRequestHead(QByteArrayView(m_pending).first(end));
    m_pending.remove(0, end + 4);
    if (const auto* error = std::get_if<RequestHeadError>(&parsed)) {
        refuseAndClose(error->status, error->reason);
        return false;
    }
    m_request = std::get<ParsedRequestHead>(std::move(parsed));
    m_body.emplace(m_request.framing);
    m_state = State::AwaitingHandler;
    m_handler.handle(m_request.head, HttpExchange(this, ++m_requestNumber));
    return m_state != State::AwaitingHandler;
}

void HttpConnection::acceptBody(quint64 requestNumber, std::unique_ptr<BodySink> sink)
{
    if (requestNumber != m_requestNumber || m_state != State::AwaitingHandler)
        return;
    m_sink = std::move(sink);
    m_state = State::ReadingBody;
    if (m_request.expectsContinue && m_request.framing.expectsBytes())
        m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
    process();
}

bool HttpConnection::readBody()
{
    if (m_body->isComplete()) {
        finishRequest();
        return true;
    }
    if (!m_pending.isEmpty()) {
        const QByteArray pending = std::exchange(m_pending, {});
        feedBody(pending);
        return true;
    }
    const qint64 received = m_socket->read(m_readBuffer.data(), static_cast<qint64>(m_readBuffer.size()));
    if (received <= 0)
        return false;
    feedBody(QByteArrayView(m_readBuffer.data(), static_cast<qsizetype>(received)));
    return true;
}

void HttpConnection::feedBody(QByteArrayView data)
{
    const qsizetype consumed = m_body->feed(data, *m_sink);
    if (m_body->hasFailed()) {
        refuseAndClose(400, "malformed chunked body"_ba);
        return;
    }
    if (m_sink->closesConnection()) {
        abandonBody();
        m_state = State::Closed;
        m_socket->abort();
        deleteLater();
        return;
    }
    if (consumed < data.size())
        m_pending.append(data.sliced(consumed));
}

void HttpConnection::finishRequest()
{
    const HttpResponse response = m_sink->finish();
    m_sink.reset();
    m_body.reset();
    if (response.closesWithoutAnswer) {
        m_state = State::Closed;
        m_socket->abort();
        deleteLater();
        return;
    }
    const bool keepAlive = m_request.keepAlive;
    m_socket->write(serializeResponse(response, !keepAlive, m_request.head.method == "HEAD"_ba));
    if (keepAlive)
        m_state = State::ReadingHead;
    else
        close();
}

void HttpConnection::drop(quint64 requestNumber)
{
    if (requestNumber != m_requestNumber || m_state != State::AwaitingHandler)
        return;
    m_state = State::Closed;
    m_socket->abort();
    deleteLater();
}

void HttpConnection::refuseAndClose(int status, const QByteArray& reason)
{
    HttpResponse response{.status = status, .headers = {}, .body = reason + '\n'};
    response.headers.append("Content-Type"_ba, "text/plain; charset=utf-8"_ba);
    m_socket->write(serializeResponse(response, true, false));
    abandonBody();
    close();
}

void HttpConnection::abandonBody()
{
    if (m_sink)
        std::exchange(m_sink, nullptr)->abandon();
}

void HttpConnection::close()
{
    m_state = State::Closed;
    m_socket->disconnectFromHost();
}

} // namespace orvane::emulator
