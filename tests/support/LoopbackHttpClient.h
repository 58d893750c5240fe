#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QNetworkAccessManager>
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
// in (30 s at most). Only http://127.0.0.1 is reachable; redirects are not followed.
class LoopbackHttpClient {
public:
    HttpResult get(const QUrl& url, const HttpHeaderList& headers = {});
    HttpResult post(const QUrl& url, const QByteArray& body, const QByteArray& contentType, const HttpHeaderList& headers = {});
    HttpResult send(const QByteArray& method, const QUrl& url, const HttpHeaderList& headers, const QByteArray& body);

private:
    QNetworkAccessManager m_network;
};

// Throws std::invalid_argument unless url is http://127.0.0.1:<port>/…: tests talk to nothing else.
void requireLoopback(const QUrl& url);

} // namespace orvane::testsupport
