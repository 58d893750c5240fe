#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>

#include <exception>
#include <optional>

namespace orvane::emulator {

struct HttpHeader {
    QByteArray name;
    QByteArray value;

    bool operator==(const HttpHeader&) const = default;
};

// Header fields in the order they were written; names compare case-insensitively.
class HttpHeaders {
public:
    void append(QByteArray name, QByteArray value);
    // The first value of the field, if present.
    std::optional<QByteArray> value(QByteArrayView name) const;
    QList<QByteArray> values(QByteArrayView name) const;
    bool contains(QByteArrayView name) const { return value(name).has_value(); }
    const QList<HttpHeader>& fields() const { return m_fields; }

private:
    QList<HttpHeader> m_fields;
};

// Everything of a request that arrives before its body.
struct HttpRequestHead {
    QByteArray method;
    QByteArray path;  // as sent: still percent-encoded
    QByteArray query; // as sent, without the '?'
    QByteArray version;
    HttpHeaders headers;
};

struct HttpResponse {
    int status = 200;
    HttpHeaders headers;
    QByteArray body;
    // Close the connection instead of answering (a fault): the client never hears.
    bool closesWithoutAnswer = false;

    static HttpResponse json(int status, const QJsonObject& object);
    static HttpResponse html(int status, const QString& page);
    static HttpResponse redirect(const QByteArray& location);
};

// Thrown by request handling to answer with a refusal instead of going on.
class RequestRefused : public std::exception {
public:
    explicit RequestRefused(HttpResponse response) : m_response(std::move(response)) {}
    const HttpResponse& response() const { return m_response; }
    const char* what() const noexcept override { return "request refused"; }

private:
    HttpResponse m_response;
};

QByteArray reasonPhrase(int status);

// The response's bytes on the wire. A HEAD answer keeps its Content-Length but no body.
QByteArray serializeResponse(const HttpResponse& response, bool closeConnection, bool headRequest);

} // namespace orvane::emulator
