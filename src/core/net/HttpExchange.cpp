#include "net/HttpExchange.h"

#include "net/TrustStore.h"
#include "support/UrlError.h"

#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <QCoroSignal>

#include <algorithm>
#include <cstring>
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

// A body Qt can read only once: a sequential device cannot be reset, so Qt's
// silent resend after a dropped connection fails instead of sending it twice.
class OneShotBody final : public QIODevice {
public:
    explicit OneShotBody(QByteArray bytes) : bytes_(std::move(bytes)) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    bool reset() override { return false; }
    qint64 bytesAvailable() const override { return bytes_.size() - position_ + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 count = std::min(maxSize, bytes_.size() - position_);
        std::memcpy(data, bytes_.constData() + position_, size_t(count));
        position_ += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 position_ = 0;
};

QCoro::Task<HttpResponse> awaitResponse(ReplyPointer reply, AbortSignal abort)
{
    // Certificate errors come before the handshake fails; without them the
    // failure says only that the handshake did.
    const auto certificateRefused = std::make_shared<bool>(false);
    QObject::connect(reply.get(), &QNetworkReply::sslErrors, reply.get(),
                     [certificateRefused] { *certificateRefused = true; });
    const AbortRegistration abortReply = abort.onAbort([reply = reply.get()] {
        QMetaObject::invokeMethod(reply, &QNetworkReply::abort, Qt::QueuedConnection);
    });
    if (!reply->isFinished())
        co_await qCoro(reply.get(), &QNetworkReply::finished);
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (isTransportFailure(reply->error()) || !status.isValid()) {
        if (reply->error() == QNetworkReply::NoError)
            co_return HttpResponse{std::nullopt, reply->readAll(), {}};
        // A cancellation is the caller's abort, or else the idle time-out's.
        if (reply->error() == QNetworkReply::OperationCanceledError) {
            if (abort.isAborted())
                throw UrlError(UrlError::Code::cancelled);
            throw noAnswerError(std::chrono::milliseconds(reply->request().transferTimeout()));
        }
        if (reply->error() == QNetworkReply::SslHandshakeFailedError && *certificateRefused) {
            if (const std::optional<ConfigurationError>& unusable = unusableCertificateAuthorities())
                throw *unusable;
            throw UrlError(UrlError::Code::serverCertificateUntrusted);
        }
        // Qt wanted to send a one-shot body again after the connection dropped.
        if (reply->error() == QNetworkReply::ContentReSendError)
            throw UrlError(UrlError::Code::networkConnectionLost);
        throw UrlError::fromNetworkError(reply->error());
    }
    co_return HttpResponse{status.toInt(), reply->readAll(), reply->rawHeaderPairs()};
}

} // namespace

std::optional<QByteArray> HttpResponse::header(QByteArrayView name) const
{
    for (const auto& [field, value] : headers) {
        if (field.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

UrlError noAnswerError(std::chrono::milliseconds timeout)
{
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(timeout).count();
    return UrlError(UrlError::Code::timedOut, seconds <= 1 ? QStringLiteral("Google did not answer within a second")
                                                           : QStringLiteral("Google did not answer within %1 seconds").arg(seconds));
}

QNetworkRequest makeRequest(const QUrl& url, std::chrono::milliseconds timeout)
{
    applyTrustedCertificateAuthorities();
    QNetworkRequest request(url);
    request.setTransferTimeout(static_cast<int>(timeout.count()));
    request.setAttribute(QNetworkRequest::ConnectionCacheExpiryTimeoutSecondsAttribute,
                         static_cast<int>(keptConnectionTime.count()));
    return request;
}

QCoro::Task<HttpResponse> sendRequest(QNetworkAccessManager& manager, QNetworkRequest request, QByteArray verb,
                                      QByteArray body, AbortSignal abort)
{
    abort.throwIfAborted();
    // A GET goes out without a body, so no length header either.
    QNetworkReply* reply = verb == "GET" && body.isEmpty() ? manager.get(request)
                                                           : manager.sendCustomRequest(request, verb, body);
    co_return co_await awaitResponse(ReplyPointer(reply), std::move(abort));
}

QCoro::Task<HttpResponse> sendRequestOnce(QNetworkAccessManager& manager, QNetworkRequest request, QByteArray verb,
                                          QByteArray body, AbortSignal abort)
{
    abort.throwIfAborted();
    // Unbuffered, or Qt would copy the body into a buffer it can rewind.
    request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    request.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    auto* device = new OneShotBody(std::move(body));
    QNetworkReply* reply = manager.sendCustomRequest(request, verb, device);
    device->setParent(reply);
    co_return co_await awaitResponse(ReplyPointer(reply), std::move(abort));
}

QCoro::Task<HttpResponse> sendRequest(QNetworkAccessManager& manager, QNetworkRequest request, QByteArray verb,
                                      QIODevice* body, AbortSignal abort)
{
    abort.throwIfAborted();
    co_return co_await awaitResponse(ReplyPointer(manager.sendCustomRequest(request, verb, body)), std::move(abort));
}

} // namespace orvane
