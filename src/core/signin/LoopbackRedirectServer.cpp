#include "signin/LoopbackRedirectServer.h"

#include "support/UrlError.h"
#include "support/Utf8Text.h"

#include <QTcpSocket>

#include <utility>

namespace orvane {

namespace {

// Enough for any redirect Google sends; the rest of a longer request is not read.
constexpr qsizetype maximumRequestBytes = 8192;

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

// The callback URL named by a request line such as
// "GET /oauth2redirect?state=...&code=... HTTP/1.1": the target appended to
// the loopback base. Neither method nor path is judged; the OAuth client
// checks what the query holds.
std::optional<QUrl> callbackURL(const QByteArray& requestLine)
{
    const std::optional<QString> text = strictUtf8Text(requestLine);
    if (!text)
        return std::nullopt;
    const QStringList pieces = text->split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (pieces.size() < 2)
        return std::nullopt;
    const QUrl url(QStringLiteral("http://127.0.0.1") + pieces.at(1), QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
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
        QTimer::singleShot(requestReadLimit_, socket, [socket] { socket->abort(); });
        QObject::connect(socket, &QIODevice::readyRead, socket, [this, socket] {
            const QByteArray received = socket->peek(maximumRequestBytes);
            const qsizetype lineEnd = received.indexOf("\r\n");
            if (lineEnd >= 0)
                answer(socket, received.left(lineEnd));
            else if (received.size() == maximumRequestBytes)
                answer(socket, received);
        });
    }
}

void LoopbackRedirectServer::answer(QTcpSocket* socket, const QByteArray& requestLine)
{
    // One request per connection: whatever else the browser sends is not read.
    QObject::disconnect(socket, &QIODevice::readyRead, nullptr, nullptr);
    const std::optional<QUrl> callback = callbackURL(requestLine);
    socket->write(page(callback.has_value()));
    // Hands the page to the system now: the waiter may discard the server,
    // and with it this socket, as soon as it has the callback.
    socket->flush();
    socket->disconnectFromHost();
    if (callback)
        deliverCallback(*callback);
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
