#include "http/BodyDecoder.h"
#include "http/FormFields.h"
#include "http/MediaType.h"
#include "http/RequestHeadParser.h"

#include <gtest/gtest.h>

using namespace orvane::emulator;
using namespace Qt::Literals::StringLiterals;

namespace {

ParsedRequestHead parsed(QByteArrayView head)
{
    auto result = parseRequestHead(head);
    if (const auto* error = std::get_if<RequestHeadError>(&result))
        throw std::runtime_error("refused: " + error->reason.toStdString());
    return std::get<ParsedRequestHead>(std::move(result));
}

int refusal(QByteArrayView head)
{
    auto result = parseRequestHead(head);
    const auto* error = std::get_if<RequestHeadError>(&result);
    return error ? error->status : 0;
}

class CollectingSink final : public BodySink {
public:
    void append(QByteArrayView piece) override { body.append(piece); }
    HttpResponse finish() override { return {}; }
    QByteArray body;
};

} // namespace

TEST(RequestHeadParser, SplitsTheTargetAndKeepsHeadersInOrder)
{
    const ParsedRequestHead request = parsed("GET /drive/v3/files?q=name%3D%27a%27&pageSize=1 HTTP/1.1\r\n"
                                             "Host: 127.0.0.1:1\r\nAuthorization:  Bearer abc \r\nX-Two: 1\r\nx-two: 2");
    EXPECT_EQ(request.head.method, "GET"_ba);
    EXPECT_EQ(request.head.path, "/drive/v3/files"_ba);
    EXPECT_EQ(request.head.query, "q=name%3D%27a%27&pageSize=1"_ba);
    EXPECT_EQ(request.head.headers.value("authorization"_ba), "Bearer abc"_ba);
    EXPECT_EQ(request.head.headers.values("X-TWO"_ba), (QList<QByteArray>{"1"_ba, "2"_ba}));
    EXPECT_EQ(request.framing.kind, BodyFraming::Kind::None);
    EXPECT_TRUE(request.keepAlive);
    EXPECT_FALSE(request.expectsContinue);
}

TEST(RequestHeadParser, ReadsBodyFramingAndExpectations)
{
    const ParsedRequestHead sized = parsed("POST /token HTTP/1.1\r\nHost: h\r\nContent-Length: 42\r\nContent-Length: 42\r\nExpect: 100-continue");
    EXPECT_EQ(sized.framing.kind, BodyFraming::Kind::Length);
    EXPECT_EQ(sized.framing.length, 42);
    EXPECT_TRUE(sized.expectsContinue);
    const ParsedRequestHead chunked = parsed("POST /x HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: Chunked\r\nConnection: close");
    EXPECT_EQ(chunked.framing.kind, BodyFraming::Kind::Chunked);
    EXPECT_FALSE(chunked.keepAlive);
    EXPECT_FALSE(parsed("GET / HTTP/1.0").keepAlive);
    EXPECT_TRUE(parsed("GET / HTTP/1.0\r\nConnection: keep-alive").keepAlive);
}

TEST(RequestHeadParser, RefusesHeadsThatBreakTheProtocol)
{
    EXPECT_EQ(refusal("GET / HTTP/1.1"), 400) << "no Host";
    EXPECT_EQ(refusal("GET / HTTP/1.1\nHost: h"), 400) << "bare LF";
    EXPECT_EQ(refusal("GET  / HTTP/1.1\r\nHost: h"), 400) << "two spaces";
    EXPECT_EQ(refusal("GET http://x/ HTTP/1.1\r\nHost: h"), 400) << "absolute form";
    EXPECT_EQ(refusal("GET / HTTP/1.1\r\nHost: h\r\n folded"), 400);
    EXPECT_EQ(refusal("GET / HTTP/1.1\r\nHost: h\r\nNo colon"), 400);
    EXPECT_EQ(refusal("GET / HTTP/1.1\r\nHost: h\r\nBad Name: x"), 400);
    EXPECT_EQ(refusal("POST / HTTP/1.1\r\nHost: h\r\nContent-Length: 1\r\nContent-Length: 2"), 400);
    EXPECT_EQ(refusal("POST / HTTP/1.1\r\nHost: h\r\nContent-Length: -1"), 400);
    EXPECT_EQ(refusal("POST / HTTP/1.1\r\nHost: h\r\nContent-Length: 1\r\nTransfer-Encoding: chunked"), 400);
    EXPECT_EQ(refusal("POST / HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: gzip, chunked"), 501);
    // No coding at all is no framing either: the body must not be taken for the next request.
    EXPECT_EQ(refusal("POST / HTTP/1.1\r\nHost: h\r\nTransfer-Encoding:"), 400);
    EXPECT_EQ(refusal("POST / HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: ,"), 400);
    EXPECT_EQ(refusal("GET / HTTP/2.0\r\nHost: h"), 505);
    EXPECT_EQ(refusal("GET / HTTP/1.1\r\nHost: h\r\nExpect: magic"), 417);
}

TEST(BodyDecoder, StopsAtContentLengthAndLeavesTheNextRequest)
{
    BodyDecoder decoder({BodyFraming::Kind::Length, 5});
    CollectingSink sink;
    EXPECT_EQ(decoder.feed("abc", sink), 3);
    EXPECT_FALSE(decoder.isComplete());
    EXPECT_EQ(decoder.feed("deGET /", sink), 2);
    EXPECT_TRUE(decoder.isComplete());
    EXPECT_EQ(sink.body, "abcde"_ba);
}

TEST(BodyDecoder, DecodesChunksFedOneByteAtATime)
{
    const QByteArray wire = "4;name=value\r\nWiki\r\n0005\r\npedia\r\nE\r\n in\r\n\r\nchunks.\r\n0\r\nTrailer: x\r\n\r\nNEXT"_ba;
    BodyDecoder decoder({BodyFraming::Kind::Chunked, 0});
    CollectingSink sink;
    qsizetype consumed = 0;
    for (qsizetype index = 0; index < wire.size() && !decoder.isComplete(); ++index)
        consumed += decoder.feed(QByteArrayView(wire).sliced(index, 1), sink);
    EXPECT_TRUE(decoder.isComplete());
    EXPECT_EQ(sink.body, "Wikipedia in\r\n\r\nchunks."_ba);
    EXPECT_EQ(wire.sliced(consumed), "NEXT"_ba);
}

TEST(BodyDecoder, FailsOnMalformedChunks)
{
    for (const QByteArray& wire : {"x\r\n"_ba, "3\r\nabcX\r\n"_ba, "3\nabc\r\n"_ba, "-1\r\n"_ba}) {
        BodyDecoder decoder({BodyFraming::Kind::Chunked, 0});
        CollectingSink sink;
        decoder.feed(wire, sink);
        EXPECT_TRUE(decoder.hasFailed()) << wire.toStdString();
    }
}

TEST(FormFields, DecodesPlusPercentAndUtf8)
{
    const std::optional<FormFields> fields = FormFields::parse("a=1+2%2B3&name=caf%C3%A9&empty=&flag&&a=again");
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->value(u"a"), u"1 2+3"_s);
    EXPECT_EQ(fields->count(u"a"), 2);
    EXPECT_EQ(fields->value(u"name"), u"café"_s);
    EXPECT_EQ(fields->value(u"empty"), QString());
    EXPECT_EQ(fields->value(u"flag"), QString());
    EXPECT_FALSE(fields->value(u"missing"));
}

TEST(FormFields, RefusesBrokenEscapesAndInvalidUtf8)
{
    EXPECT_FALSE(FormFields::parse("a=%2"));
    EXPECT_FALSE(FormFields::parse("a=%zz"));
    EXPECT_FALSE(FormFields::parse("a=%FF"));
}

TEST(MediaType, ParsesParametersQuotedOrNot)
{
    const std::optional<MediaType> type = MediaType::parse("Multipart/Related; boundary=\"a b\\\"c\";charset=UTF-8");
    ASSERT_TRUE(type);
    EXPECT_EQ(type->type, "multipart/related"_ba);
    EXPECT_EQ(type->parameter("boundary"_ba), "a b\"c"_ba);
    EXPECT_EQ(type->parameter("charset"_ba), "UTF-8"_ba);
    EXPECT_FALSE(MediaType::parse("text"));
    EXPECT_FALSE(MediaType::parse("text/plain; charset"));
    EXPECT_FALSE(MediaType::parse("text/plain; a=\"unterminated"));
}
