#include "signin/LoopbackRedirectServer.h"

#include "signin/RedirectRequestLine.h"
#include "support/UrlError.h"

#include <QTcpSocket>

#include <utility>

namespace orvane {

namespace {

const QByteArray successBody =
    "<html><body><h1>Orvane is connected.</h1><p>The desktop app should come back to the front. "
    "You can close this browser tab.</p></body></html>";
const QByteArray failureBody = "<html><body><h1>Orvane could not read the Google callback.</h1></body></html>";

QByteArray page(bool success)
{
    const QByteArray& body = success ? successBody : failureBody;
    return (success ? QByteArray("HTTP/1.1 200 OK") : QByteArray("HTTP/1.1 400 Bad Request"))
        + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " + QByteArray::number(body.size())
        + "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

struct LoopbackRedirectServer::ResultAwaiter {
    LoopbackRedirectServer& server;

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiter) noexcept { server.waiter_ = waiter; }
    void await_resume() const noexcept {}
};

LoopbackRedirectServer::LoopbackRedirectServer(std::chrono::milliseconds requestReadLimit)
    : requestReadLimit_(requestReadLimit)
{
    timeoutTimer_.setSingleShot(true);
    QObject::connect(&timeoutTimer_, &QTimer::timeout, &timeoutTimer_, [this] { timeOut(); });
    QObject::connect(&listener_, &QTcpServer::newConnection, &listener_, [this] { acceptConnections(); });
}

QUrl LoopbackRedirectServer::start()
{
    if (!listener_.listen(QHostAddress::LocalHost, 0) || listener_.serverPort() == 0)
        throw UrlError(UrlError::Code::cannotConnectToHost);
    return QUrl(QStringLiteral("http://127.0.0.1:%1/oauth2redirect").arg(listener_.serverPort()));
}

QCoro::Task<QUrl> LoopbackRedirectServer::waitForCallback(std::chrono::milliseconds timeout)
{
    if (pendingCallbackURL_) {
        isCompleted_ = true;
        co_return *std::exchange(pendingCallbackURL_, std::nullopt);
    }
    timeoutTimer_.start(timeout);
    co_await ResultAwaiter{*this};
    if (!result_)
        throw UrlError(UrlError::Code::timedOut);
    co_return *result_;
}

void LoopbackRedirectServer::stop()
{
    timeoutTimer_.stop();
    listener_.close();
}

void LoopbackRedirectServer::acceptConnections()
{
    while (QTcpSocket* socket = listener_.nextPendingConnection()) {
        QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(requestReadLimit_, socket, [this, socket] { endUnfinished(socket); });
        QObject::connect(socket, &QIODevice::readyRead, socket, [this, socket] {
            const RedirectRequestLine line = RedirectRequestLine::read(socket->peek(RedirectRequestLine::maximumBytes));
            if (line.status != RedirectRequestLine::Status::incomplete)
                answer(socket, line);
        });
    }
}

void LoopbackRedirectServer::answer(QTcpSocket* socket, const RedirectRequestLine& requestLine)
{
    // One request per connection: whatever else the browser sends is not read.
    QObject::disconnect(socket, &QIODevice::readyRead, nullptr, nullptr);
    const bool isCallback = requestLine.status == RedirectRequestLine::Status::callback;
    socket->write(page(isCallback));
    // Hands the page to the system now: the waiter may discard the server,
    // and with it this socket, as soon as it has the callback.
    socket->flush();
    socket->disconnectFromHost();
    if (isCallback)
        deliverCallback(requestLine.callbackURL);
}

void LoopbackRedirectServer::endUnfinished(QTcpSocket* socket)
{
    // A line begun and never ended is told it was not read. A connection
    // that sent nothing (a browser's preconnection) or left its page untaken
    // is just closed.
    if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesAvailable() > 0)
        answer(socket, RedirectRequestLine{.status = RedirectRequestLine::Status::unreadable});
    else
        socket->abort();
}

void LoopbackRedirectServer::deliverCallback(const QUrl& url)
{
    if (isCompleted_)
        return;
    if (!waiter_) {
        pendingCallbackURL_ = url;
        return;
    }
    isCompleted_ = true;
    timeoutTimer_.stop();
    result_ = url;
    resumeWaiter();
}

void LoopbackRedirectServer::timeOut()
{
    if (isCompleted_)
        return;
    isCompleted_ = true;
    result_.reset();
    resumeWaiter();
}

void LoopbackRedirectServer::resumeWaiter()
{
    // Resumed from the event loop rather than from inside a socket or timer
    // handler of this server, which the resumed waiter is free to destroy.
    QTimer::singleShot(0, [waiter = std::exchange(waiter_, {})] { waiter.resume(); });
}

} // namespace orvane
