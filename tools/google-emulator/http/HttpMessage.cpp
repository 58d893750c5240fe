#include "HttpMessage.h"

#include <QJsonDocument>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

void HttpHeaders::append(QByteArray name, QByteArray value)
{
    m_fields.append({std::move(name), std::move(value)});
}

std::optional<QByteArray> HttpHeaders::value(QByteArrayView name) const
{
    for (const HttpHeader& field : m_fields) {
        if (field.name.compare(name, Qt::CaseInsensitive) == 0)
            return field.value;
    }
    return std::nullopt;
}

QList<QByteArray> HttpHeaders::values(QByteArrayView name) const
{
    QList<QByteArray> found;
    for (const HttpHeader& field : m_fields) {
        if (field.name.compare(name, Qt::CaseInsensitive) == 0)
            found.append(field.value);
    }
    return found;
}

HttpResponse HttpResponse::json(int status, const QJsonObject& object)
{
    HttpResponse response{.status = status, .headers = {}, .body = QJsonDocument(object).toJson(QJsonDocument::Compact)};
    response.headers.append("Content-Type"_ba, "application/json; charset=UTF-8"_ba);
    return response;
}

HttpResponse HttpResponse::html(int status, const QString& page)
{
    HttpResponse response{.status = status, .headers = {}, .body = page.toUtf8()};
    response.headers.append("Content-Type"_ba, "text/html; charset=utf-8"_ba);
    return response;
}

HttpResponse HttpResponse::redirect(const QByteArray& location)
{
    HttpResponse response = html(302, u"<html><body>Moved Temporarily</body></html>"_s);
    response.headers.append("Location"_ba, location);
    return response;
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 100: return "Continue"_ba;
    case 200: return "OK"_ba;
    case 201: return "Created"_ba;
    case 204: return "No Content"_ba;
    case 302: return "Found"_ba;
    case 308: return "Resume Incomplete"_ba;
    case 400: return "Bad Request"_ba;
    case 401: return "Unauthorized"_ba;
    case 403: return "Forbidden"_ba;
    case 404: return "Not Found"_ba;
    case 405: return "Method Not Allowed"_ba;
    case 408: return "Request Timeout"_ba;
    case 411: return "Length Required"_ba;
    case 413: return "Payload Too Large"_ba;
    case 415: return "Unsupported Media Type"_ba;
    case 417: return "Expectation Failed"_ba;
    case 429: return "Too Many Requests"_ba;
    case 431: return "Request Header Fields Too Large"_ba;
    case 499: return "Client Closed Request"_ba;
    case 500: return "Internal Server Error"_ba;
    case 501: return "Not Implemented"_ba;
    case 502: return "Bad Gateway"_ba;
    case 503: return "Service Unavailable"_ba;
    case 504: return "Gateway Timeout"_ba;
    case 505: return "HTTP Version Not Supported"_ba;
    default: return "Status"_ba;
    }
}

QByteArray serializeResponse(const HttpResponse& response, bool closeConnection, bool headRequest)
{
    QByteArray wire;
    wire.reserve(256 + response.body.size());
    wire += "HTTP/1.1 "_ba + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) + "\r\n"_ba;
    for (const HttpHeader& field : response.headers.fields())
        wire += field.name + ": "_ba + field.value + "\r\n"_ba;
    wire += "Content-Length: "_ba + QByteArray::number(response.body.size()) + "\r\n"_ba;
    if (closeConnection)
        wire += "Connection: close\r\n"_ba;
    wire += "\r\n"_ba;
    if (!headRequest)
        wire += response.body;
    return wire;
}

} // namespace orvane::emulator
