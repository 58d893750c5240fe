// The emulator's multipart bodies, which any client of the tests may send in
// whatever pieces: the parts read are the same however the body is cut.

#include "drive/MultipartRelatedParser.h"

#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace orvane;
using namespace orvane::emulator;
using namespace orvane::fuzzing;

namespace {

// Everything the parser reported, with each part's data joined.
struct Parts final : MultipartRelatedParser::Consumer {
    QList<QList<HttpHeader>> headers;
    QList<QByteArray> contents;
    int ended = 0;
    std::optional<QString> error;

    void beginPart(const HttpHeaders& partHeaders) override
    {
        require(ended == headers.size(), "a part begins before the last one ended");
        headers.append(partHeaders.fields());
        contents.append(QByteArray());
    }
    void partData(QByteArrayView data) override
    {
        require(!contents.isEmpty() && ended < headers.size(), "data outside a part");
        contents.last().append(data);
    }
    void endPart() override { ++ended; }

    // A body found broken is broken however it arrives; how much of it was
    // passed on before is not compared.
    bool operator==(const Parts& other) const
    {
        if (error || other.error)
            return error.has_value() == other.error.has_value();
        return headers == other.headers && contents == other.contents && ended == other.ended;
    }
};

Parts parsed(const QByteArray& boundary, const QByteArray& body, const QList<qsizetype>& cuts)
{
    Parts parts;
    MultipartRelatedParser parser(boundary, parts);
    qsizetype from = 0;
    for (const qsizetype cut : cuts) {
        parser.append(QByteArrayView(body).sliced(from, cut - from));
        from = cut;
    }
    parser.append(QByteArrayView(body).sliced(from));
    parser.finish();
    parts.error = parser.error();
    return parts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    const std::string contentType = provider.ConsumeRandomLengthString(128);
    const std::optional<QByteArray> found =
        MultipartRelatedParser::boundaryOf(QByteArrayView(contentType.data(), qsizetype(contentType.size())));
    require(!found || !found->isEmpty(), "an empty boundary is taken");
    const QByteArray boundary = found.value_or(QByteArrayLiteral("orvane-boundary"));
    const std::uint8_t step = provider.ConsumeIntegral<std::uint8_t>();
    const std::string rest = provider.ConsumeRemainingBytesAsString();
    const QByteArray body(rest.data(), qsizetype(rest.size()));

    QList<qsizetype> cuts;
    for (qsizetype cut = step % 16 + 1; cut < body.size(); cut += cut % 7 + step % 13 + 1)
        cuts.append(cut);
    const Parts whole = parsed(boundary, body, {});
    require(whole.error || whole.ended == whole.headers.size(), "a body that closed well left a part open");
    require(parsed(boundary, body, cuts) == whole, "the parts differ when the body arrives in pieces",
            [&] { return QString::fromLatin1(body.toHex()); });
    return 0;
}
