#include "drive/MultipartRelatedParser.h"

#include <gtest/gtest.h>

using namespace orvane::emulator;
using namespace Qt::Literals::StringLiterals;

namespace {

struct Part {
    HttpHeaders headers;
    QByteArray body;
};

class PartCollector final : public MultipartRelatedParser::Consumer {
public:
    void beginPart(const HttpHeaders& headers) override { parts.append({headers, {}}); }
    void partData(QByteArrayView data) override { parts.last().body.append(data); }
    void endPart() override { ++ended; }

    QList<Part> parts;
    int ended = 0;
};

const QByteArray boundary = "OrvaneBoundary-5E0B7A43-1C1B-4F47-9E55-0A63F0E3B2C1"_ba;

QByteArray orvaneBody(const QByteArray& media)
{
    return "--"_ba + boundary + "\r\nContent-Type: application/json; charset=UTF-8\r\n\r\n{\"name\":\"a.csv\"}\r\n--"_ba + boundary
        + "\r\nContent-Type: text/csv\r\n\r\n"_ba + media + "\r\n--"_ba + boundary + "--\r\n"_ba;
}

// Feeds body in pieces of pieceSize and returns what the consumer saw.
PartCollector parse(const QByteArray& body, qsizetype pieceSize, std::optional<QString>* error = nullptr)
{
    PartCollector collector;
    MultipartRelatedParser parser(boundary, collector);
    for (qsizetype offset = 0; offset < body.size(); offset += pieceSize)
        parser.append(QByteArrayView(body).sliced(offset, std::min(pieceSize, body.size() - offset)));
    parser.finish();
    if (error)
        *error = parser.error();
    return collector;
}

std::optional<QString> errorOf(const QByteArray& body)
{
    std::optional<QString> error;
    parse(body, body.size() + 1, &error);
    return error;
}

} // namespace

TEST(MultipartBoundary, IsTakenFromRelatedContentTypesOnly)
{
    EXPECT_EQ(MultipartRelatedParser::boundaryOf("multipart/related; boundary=" + boundary), boundary);
    EXPECT_EQ(MultipartRelatedParser::boundaryOf("multipart/related; boundary=\"with space\""), "with space"_ba);
    EXPECT_FALSE(MultipartRelatedParser::boundaryOf("multipart/form-data; boundary=abc"));
    EXPECT_FALSE(MultipartRelatedParser::boundaryOf("multipart/related"));
    EXPECT_FALSE(MultipartRelatedParser::boundaryOf("multipart/related; boundary=\"\""));
    EXPECT_FALSE(MultipartRelatedParser::boundaryOf("multipart/related; boundary=\"trailing \""));
    EXPECT_FALSE(MultipartRelatedParser::boundaryOf("multipart/related; boundary=" + QByteArray(71, 'a')));
}

TEST(MultipartRelatedParser, SplitsTheUploadBodyWhateverThePieceSize)
{
    // Content that looks like the start of a delimiter must come through unchanged.
    const QByteArray media = "a,b\r\n\r\n--OrvaneBoundary-5E0B\r\n--"_ba + boundary.chopped(1) + "\r\n1,2"_ba;
    for (qsizetype pieceSize : {1, 2, 3, 7, 64, 4096}) {
        std::optional<QString> error;
        const PartCollector collector = parse(orvaneBody(media), pieceSize, &error);
        ASSERT_FALSE(error) << error->toStdString();
        ASSERT_EQ(collector.parts.size(), 2) << pieceSize;
        EXPECT_EQ(collector.ended, 2);
        EXPECT_EQ(collector.parts[0].headers.value("content-type"_ba), "application/json; charset=UTF-8"_ba);
        EXPECT_EQ(collector.parts[0].body, "{\"name\":\"a.csv\"}"_ba);
        EXPECT_EQ(collector.parts[1].headers.value("Content-Type"_ba), "text/csv"_ba);
        EXPECT_EQ(collector.parts[1].body, media) << pieceSize;
    }
}

TEST(MultipartRelatedParser, AcceptsAnEmptyPartAPreambleAndAClosingDelimiterWithoutCrlf)
{
    QByteArray body = "preamble\r\n"_ba + orvaneBody({});
    body.chop(2);
    std::optional<QString> error;
    const PartCollector collector = parse(body, 5, &error);
    ASSERT_FALSE(error);
    ASSERT_EQ(collector.parts.size(), 2);
    EXPECT_TRUE(collector.parts[1].body.isEmpty());
}

TEST(MultipartRelatedParser, NamesWhatIsMalformed)
{
    EXPECT_EQ(errorOf("no delimiter at all"), u"no boundary delimiter in the body"_s);
    EXPECT_EQ(errorOf(orvaneBody("x").chopped(boundary.size() + 6)), u"the body ended before the closing boundary delimiter"_s);
    EXPECT_EQ(errorOf("--"_ba + boundary + "X\r\n\r\n"_ba), u"a boundary delimiter is not followed by CRLF"_s);
    EXPECT_EQ(errorOf("--"_ba + boundary + "\r\nno colon here\r\n\r\n"_ba), u"a part header line is malformed"_s);
    EXPECT_EQ(errorOf("--"_ba + boundary + "\r\nX-Big: "_ba + QByteArray(20000, 'a')), u"the part headers are too large"_s);
    QByteArray wrongBoundary = orvaneBody("x");
    wrongBoundary.replace(boundary, "OtherBoundary"_ba);
    EXPECT_EQ(errorOf(wrongBoundary), u"no boundary delimiter in the body"_s);
}
