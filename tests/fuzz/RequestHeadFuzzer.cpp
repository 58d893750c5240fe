// The emulator's request heads, which any client of the tests may send: a
// head that parses says what its bytes say, and a framing that is not
// exactly one of HTTP's is refused.

#include "http/RequestHeadParser.h"

#include "FuzzCheck.h"

using namespace orvane;
using namespace orvane::emulator;
using namespace orvane::fuzzing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray head = bytes(data, size);
    const auto parsed = parseRequestHead(head);
    if (const auto* error = std::get_if<RequestHeadError>(&parsed)) {
        require(error->status >= 400 && error->status <= 505 && !error->reason.isEmpty(),
                "a head is refused without a status and a reason");
        return 0;
    }
    const ParsedRequestHead& request = std::get<ParsedRequestHead>(parsed);
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    const HttpRequestHead& fields = request.head;
    const QByteArray target = fields.path + (fields.query.isEmpty() ? QByteArray() : '?' + fields.query);
    require(lines.first() == fields.method + ' ' + target + ' ' + fields.version
                || lines.first() == fields.method + ' ' + target + "? " + fields.version,
            "the request line says otherwise", [&] { return QString::fromLatin1(lines.first()); });
    require(!fields.path.contains('?'), "the path holds the query");
    require(fields.headers.fields().size() == lines.size() - 1, "a header field was lost or made up");
    for (qsizetype index = 1; index < lines.size(); ++index) {
        const HttpHeader& field = fields.headers.fields().at(index - 1);
        require(lines.at(index).startsWith(field.name + ':') && lines.at(index).contains(field.value),
                "a header field says otherwise", [&] { return QString::fromLatin1(lines.at(index)); });
    }
    const QList<QByteArray> lengths = fields.headers.values("Content-Length");
    const bool chunked = fields.headers.contains("Transfer-Encoding");
    require(!(chunked && !lengths.isEmpty()), "a body framed twice is taken");
    switch (request.framing.kind) {
    case BodyFraming::Kind::None:
        require(lengths.isEmpty() && !chunked, "a framing given is ignored");
        break;
    case BodyFraming::Kind::Length:
        require(request.framing.length >= 0 && request.framing.length == lengths.first().toLongLong(),
                "a length other than the one given");
        break;
    case BodyFraming::Kind::Chunked:
        require(chunked, "chunks without Transfer-Encoding");
        break;
    }
    return 0;
}
