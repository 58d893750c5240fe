#include "RequestHeadParser.h"

#include <algorithm>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

namespace {

bool isTokenCharacter(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isTokenCharacter);
}

bool isFieldValueCharacter(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte == '\t' || (byte >= 0x20 && byte != 0x7f);
}

bool isTargetCharacter(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte < 0x7f;
}

RequestHeadError badRequest(const char* reason)
{
    return {400, QByteArray(reason)};
}

std::optional<qint64> parseContentLength(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 18 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return text.toLongLong();
}

// Names in a comma-separated header list (Connection, Expect, Transfer-Encoding).
QList<QByteArray> listElements(const QList<QByteArray>& values)
{
    QList<QByteArray> elements;
    for (const QByteArray& value : values) {
        for (const QByteArray& element : value.split(',')) {
            if (const QByteArray trimmed = element.trimmed().toLower(); !trimmed.isEmpty())
                elements.append(trimmed);
        }
    }
    return elements;
}

} // namespace

std::variant<ParsedRequestHead, RequestHeadError> parseRequestHead(QByteArrayView head)
{
    const QList<QByteArray> lines = head.toByteArray().split('\n');
    for (const QByteArray& line : lines) {
        if (!line.endsWith('\r') && &line != &lines.last())
            return badRequest("line not ended by CRLF");
    }
    auto withoutCr = [](const QByteArray& line) { return line.endsWith('\r') ? line.chopped(1) : line; };

    ParsedRequestHead parsed;
    const QList<QByteArray> requestLine = withoutCr(lines.first()).split(' ');
    if (requestLine.size() != 3)
        return badRequest("malformed request line");
    const QByteArray& method = requestLine[0];
    const QByteArray& target = requestLine[1];
    const QByteArray& version = requestLine[2];
    if (!isToken(method))
        return badRequest("malformed method");
    if (!target.startsWith('/') || !std::all_of(target.begin(), target.end(), isTargetCharacter))
        return badRequest("request target is not in origin form");
    if (version != "HTTP/1.1"_ba && version != "HTTP/1.0"_ba) {
        if (version.startsWith("HTTP/"_ba))
            return RequestHeadError{505, "HTTP version not supported"_ba};
        return badRequest("malformed HTTP version");
    }
    const qsizetype questionMark = target.indexOf('?');
    parsed.head.method = method;
    parsed.head.path = questionMark < 0 ? target : target.first(questionMark);
    parsed.head.query = questionMark < 0 ? QByteArray() : target.sliced(questionMark + 1);
    parsed.head.version = version;

    for (qsizetype index = 1; index < lines.size(); ++index) {
        const QByteArray line = withoutCr(lines[index]);
        if (line.startsWith(' ') || line.startsWith('\t'))
            return badRequest("obsolete line folding");
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(QByteArrayView(line).first(colon)))
            return badRequest("malformed header field");
        const QByteArray value = line.sliced(colon + 1).trimmed();
        if (!std::all_of(value.begin(), value.end(), isFieldValueCharacter))
            return badRequest("invalid character in header field value");
        parsed.head.headers.append(line.first(colon), value);
    }

    const HttpHeaders& headers = parsed.head.headers;
    const bool http11 = version == "HTTP/1.1"_ba;
    if (http11 && headers.values("Host"_ba).size() != 1)
        return badRequest("HTTP/1.1 request without exactly one Host field");

    const QList<QByteArray> transferCodings = listElements(headers.values("Transfer-Encoding"_ba));
    const QList<QByteArray> lengths = headers.values("Content-Length"_ba);
    if (headers.contains("Transfer-Encoding"_ba)) {
        if (!lengths.isEmpty())
            return badRequest("both Transfer-Encoding and Content-Length");
        if (transferCodings.isEmpty())
            return badRequest("Transfer-Encoding without a coding");
        if (transferCodings != QList<QByteArray>{"chunked"_ba})
            return RequestHeadError{501, "unsupported transfer coding"_ba};
        parsed.framing = {BodyFraming::Kind::Chunked, 0};
    } else if (!lengths.isEmpty()) {
        const std::optional<qint64> length = parseContentLength(lengths.first());
        if (!length || std::any_of(lengths.begin(), lengths.end(), [&](const QByteArray& other) { return other != lengths.first(); }))
            return badRequest("invalid Content-Length");
        parsed.framing = {BodyFraming::Kind::Length, *length};
    }

    const QList<QByteArray> expectations = listElements(headers.values("Expect"_ba));
    if (!expectations.isEmpty() && expectations != QList<QByteArray>{"100-continue"_ba})
        return RequestHeadError{417, "unsupported expectation"_ba};
    parsed.expectsContinue = !expectations.isEmpty();

    const QList<QByteArray> connection = listElements(headers.values("Connection"_ba));
    parsed.keepAlive = http11 ? !connection.contains("close"_ba) : connection.contains("keep-alive"_ba);
    return parsed;
}

} // namespace orvane::emulator
