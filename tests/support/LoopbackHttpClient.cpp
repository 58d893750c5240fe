#include "LoopbackHttpClient.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkReply>

#include <stdexcept>

namespace orvane::testsupport {

using namespace Qt::Literals::StringLiterals;

std::optional<QByteArray> HttpResult::header(QByteArrayView name) const
{
    for (const auto& [headerName, value] : headers) {
        if (headerName.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

QJsonObject HttpResult::json() const
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (!document.isObject())
        throw std::runtime_error("the body is not a JSON object: " + body.left(500).toStdString());
    return document.object();
}

void requireLoopback(const QUrl& url)
{
    if ((url.scheme() != u"http"_s && url.scheme() != u"https"_s) || url.host() != u"127.0.0.1"_s || url.port() <= 0)
        throw std::invalid_argument("tests only talk to http(s)://127.0.0.1:<port>, not " + url.toString().toStdString());
}

HttpResult LoopbackHttpClient::get(const QUrl& url, const HttpHeaderList& headers)
{
    return send("GET"_ba, url, headers, {});
}

HttpResult LoopbackHttpClient::post(const QUrl& url, const QByteArray& body, const QByteArray& contentType, const HttpHeaderList& headers)
{
    HttpHeaderList allHeaders = headers;
    allHeaders.prepend({"Content-Type"_ba, contentType});
    return send("POST"_ba, url, allHeaders, body);
}

HttpResult LoopbackHttpClient::send(const QByteArray& method, const QUrl& url, const HttpHeaderList& headers, const QByteArray& body)
{
    requireLoopback(url);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(30'000);
    if (!m_authorities.isEmpty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setCaCertificates(m_authorities);
        request.setSslConfiguration(tls);
    }
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    QNetworkReply* reply = m_network.sendCustomRequest(request, method, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();

    HttpResult result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    for (const auto& [name, value] : reply->rawHeaderPairs())
        result.headers.append({name, value});
    result.body = reply->readAll();
    if (result.status == 0)
        result.transportError = reply->errorString();
    reply->deleteLater();
    return result;
}

} // namespace orvane::testsupport
