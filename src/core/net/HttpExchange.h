#pragma once

#include "net/AbortSignal.h"
#include "support/UrlError.h"

#include <QByteArray>
#include <QList>
#include <QNetworkRequest>

#include <QCoroTask>

#include <chrono>
#include <optional>

class QIODevice;
class QNetworkAccessManager;

namespace orvane {

// Header fields in the order they were written.
using HttpHeaders = QList<std::pair<QByteArray, QByteArray>>;

// What came back from one HTTP request. Judging the status is the caller's
// business: the Drive and OAuth clients treat failures differently.
struct HttpResponse {
    // Absent when the answer was not an HTTP response.
    std::optional<int> statusCode;
    QByteArray body;
    HttpHeaders headers;

    bool isHttpFailure() const { return statusCode && (*statusCode < 200 || *statusCode > 299); }
    // The first value of a header field, its name compared case-insensitively.
    std::optional<QByteArray> header(QByteArrayView name) const;
};

// Every Google request is given up after this long without progress.
inline constexpr std::chrono::milliseconds requestTimeout{std::chrono::seconds(60)};

// How long a connection stays open for the next request after its last one:
// enough for the requests of an open and of the next file handed over with
// it. Qt's own two minutes would end it, or Google would, long after Orvane
// went back to idling in the tray, and wake it.
inline constexpr std::chrono::seconds keptConnectionTime{10};

// The error of a request that got no answer within its idle time-out: says
// that Google did not answer, not only that something timed out.
UrlError noAnswerError(std::chrono::milliseconds timeout);

// A request for url with the idle time-out every Google request carries,
// trusting the authorities of trustCertificateAuthoritiesOf, whose
// connection is kept for keptConnectionTime.
QNetworkRequest makeRequest(const QUrl& url, std::chrono::milliseconds timeout = requestTimeout);

// Sends one request on the shared network access manager and waits for the
// whole answer. A transport failure (refused, dropped, timed out, a server
// certificate that is not trusted) throws UrlError; so does an abort
// (UrlError::cancelled), which ends the request at once.
QCoro::Task<HttpResponse> sendRequest(QNetworkAccessManager& manager, QNetworkRequest request, QByteArray verb,
                                      QByteArray body = {}, AbortSignal abort = {});

// The same for a request that must reach the server at most once, because it
// makes something: Qt by itself sends a request again when its connection
// drops before the answer, which for a creation that did succeed makes a
// second one. Here such a drop fails with UrlError::networkConnectionLost, so
// the caller decides, after looking, whether to try again.
QCoro::Task<HttpResponse> sendRequestOnce(QNetworkAccessManager& manager, QNetworkRequest request, QByteArray verb,
                                          QByteArray body, AbortSignal abort = {});

// The same with a body read from an open device while it is sent, so a large
// body never has to be in memory at once. The device must outlive the call.
QCoro::Task<HttpResponse> sendRequest(QNetworkAccessManager& manager, QNetworkRequest request, QByteArray verb,
                                      QIODevice* body, AbortSignal abort = {});

} // namespace orvane
