#include "net/HttpExchange.h"

#include "support/UrlError.h"

#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <QCoroSignal>

#include <memory>

namespace orvane {

namespace {

struct ReplyDeleter {
    void operator()(QNetworkReply* reply) const { reply->deleteLater(); }
};
using ReplyPointer = std::unique_ptr<QNetworkReply, ReplyDeleter>;

// Errors below 200 are the transport's; 399 and 301 are protocol failures. The
// others only restate an HTTP status, which the caller judges itself.
bool isTransportFailure(QNetworkReply::NetworkError error)
{
    return (error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied)
        || error == QNetworkReply::ProtocolFailure || error == QNetworkReply::ProtocolUnknownError;
}

QCoro::Task<HttpResponse> awaitResponse(ReplyPointer reply)
{
    if (!reply->isFinished())
        co_await qCoro(reply.get(), &QNetworkReply::finished);
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (isTransportFailure(reply->error()) || !status.isValid()) {
        if (reply->error() == QNetworkReply::NoError)
            co_return HttpResponse{std::nullopt, reply->readAll()};
        // An abort by the idle time-out is the only cancellation here.
        if (reply->error() == QNetworkReply::OperationCanceledError)
            throw UrlError(UrlError::Code::timedOut);
        throw UrlError::fromNetworkError(reply->error());
    }
    co_return HttpResponse{status.toInt(), reply->readAll()};
}

} // namespace

QNetworkRequest makeRequest(const QUrl& url, std::chrono::milliseconds timeout)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(static_cast<int>(timeout.count()));
    return request;
}

QCoro::Task<HttpResponse> sendRequest(QNetworkAccessManager& manager, QNetworkRequest request, QByteArray verb,
                                      QByteArray body)
{
    // A GET goes out without a body, so no length header either.
    QNetworkReply* reply = verb == "GET" && body.isEmpty() ? manager.get(request)
                                                           : manager.sendCustomRequest(request, verb, body);
    co_return co_await awaitResponse(ReplyPointer(reply));
}

QCoro::Task<HttpResponse> sendRequest(QNetworkAccessManager& manager, QNetworkRequest request, QByteArray verb,
                                      QIODevice* body)
{
    co_return co_await awaitResponse(ReplyPointer(manager.sendCustomRequest(request, verb, body)));
}

} // namespace orvane
