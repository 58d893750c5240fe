#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QNetworkAccessManager>
#include <QSslCertificate>
#include <QUrl>

#include <optional>

namespace orvane::testsupport {

using HttpHeaderList = QList<std::pair<QByteArray, QByteArray>>;

// One answer as a test sees it.
struct HttpResult {
    int status = 0; // 0 when the request failed before an answer arrived
    HttpHeaderList headers;
    QByteArray body;
    QString transportError; // empty when an answer arrived

    // The first value of a header, the name compared case-insensitively.
    std::optional<QByteArray> header(QByteArrayView name) const;
    // The body as a JSON object; throws std::runtime_error when it is not one.
    QJsonObject json() const;
};

// Blocking HTTP for tests: each call runs a local event loop until the answer is
// in (30 s at most). Only 127.0.0.1 is reachable, over http or https (trusting
// only the given authorities); redirects are not followed.
class LoopbackHttpClient {
public:
    // The authorities https answers must come from (none: the system's).
    void trustOnly(const QList<QSslCertificate>& authorities) { m_authorities = authorities; }

    HttpResult get(const QUrl& url, const HttpHeaderList& headers = {});
    HttpResult post(const QUrl& url, const QByteArray& body, const QByteArray& contentType, const HttpHeaderList& headers = {});
    HttpResult send(const QByteArray& method, const QUrl& url, const HttpHeaderList& headers, const QByteArray& body);

private:
    QNetworkAccessManager m_network;
    QList<QSslCertificate> m_authorities;
};

// Throws std::invalid_argument unless url is http(s)://127.0.0.1:<port>/…: tests talk to nothing else.
void requireLoopback(const QUrl& url);

} // namespace orvane::testsupport
