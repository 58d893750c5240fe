#pragma once

#include <QByteArray>
#include <QNetworkRequest>

#include <QCoroTask>

#include <chrono>
#include <optional>

class QIODevice;
class QNetworkAccessManager;

namespace orvane {

// What came back from one HTTP request. Judging the status is the caller's
// business: the Drive and OAuth clients treat failures differently.
struct HttpResponse {
    // Absent when the answer was not an HTTP response.
    std::optional<int> statusCode;
    QByteArray body;

    bool isHttpFailure() const { return statusCode && (*statusCode < 200 || *statusCode > 299); }
};

// Every Google request is given up after this long without progress.
inline constexpr std::chrono::milliseconds requestTimeout{std::chrono::seconds(60)};

// A request for url with the idle time-out every Google request carries.
QNetworkRequest makeRequest(const QUrl& url, std::chrono::milliseconds timeout = requestTimeout);

// Sends one request on the shared network access manager and waits for the
// whole answer. A transport failure (refused, dropped, timed out) throws UrlError.
QCoro::Task<HttpResponse> sendRequest(QNetworkAccessManager& manager, QNetworkRequest request, QByteArray verb,
                                      QByteArray body = {});

// The same with a body read from an open device while it is sent, so a large
// body never has to be in memory at once. The device must outlive the call.
QCoro::Task<HttpResponse> sendRequest(QNetworkAccessManager& manager, QNetworkRequest request, QByteArray verb,
                                      QIODevice* body);

} // namespace orvane
