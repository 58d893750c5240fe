#include "instance/InstanceRequest.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

QUrl file(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

TEST(InstanceRequestTest, ArgumentsBecomeAbsoluteFileURLsInOrder)
{
    const InstanceRequest request = InstanceRequest::fromArguments(
        {u"report.xlsx"_s, u"/data/sales.csv"_s, u"../notes/plan.docx"_s}, u"/home/aki/work"_s);

    EXPECT_EQ(request.fileURLs, (QList<QUrl>{file(u"/home/aki/work/report.xlsx"_s), file(u"/data/sales.csv"_s),
                                             file(u"/home/aki/notes/plan.docx"_s)}));
    EXPECT_FALSE(request.isReopen());
}

TEST(InstanceRequestTest, NoArgumentsIsAReopen)
{
    EXPECT_TRUE(InstanceRequest::fromArguments({}, u"/home/aki"_s).isReopen());
}

TEST(InstanceRequestTest, EncodesAsOneLineOfCompactJSONObjectOfPaths)
{
    const InstanceRequest request{{file(u"/home/aki/Q1 report.xlsx"_s), file(u"/tmp/\u58F2\u4E0A.csv"_s)}};

    EXPECT_EQ(request.encoded(),
              u"{\"openFiles\":[\"/home/aki/Q1 report.xlsx\",\"/tmp/\u58F2\u4E0A.csv\"]}\n"_s.toUtf8());
    EXPECT_EQ(InstanceRequest::decode(request.encoded().chopped(1)), request);
    EXPECT_EQ(InstanceRequest::decode(InstanceRequest{}.encoded().chopped(1)), InstanceRequest{});
}

TEST(InstanceRequestTest, DecodingKeepsOnlyAbsolutePaths)
{
    const std::optional<InstanceRequest> request = InstanceRequest::decode(
        R"({"openFiles": ["relative.csv", "/home/aki/a.csv", 7, ":/resource.csv", "/home/aki/../bob/b.csv"]})");

    ASSERT_TRUE(request);
    EXPECT_EQ(request->fileURLs, (QList<QUrl>{file(u"/home/aki/a.csv"_s), file(u"/home/bob/b.csv"_s)}));
}

TEST(InstanceRequestTest, FilesThatAreAllRefusedAreNotTakenForAReopen)
{
    EXPECT_EQ(InstanceRequest::decode(R"({"openFiles": ["relative.csv", "https://example.com/a.csv"]})"), std::nullopt);
}

TEST(InstanceRequestTest, MessagesOfAnotherFormAreRefused)
{
    EXPECT_EQ(InstanceRequest::decode(""), std::nullopt);
    EXPECT_EQ(InstanceRequest::decode("/home/aki/a.csv"), std::nullopt);
    EXPECT_EQ(InstanceRequest::decode(R"({"openFiles": "/home/aki/a.csv"})"), std::nullopt);
    EXPECT_EQ(InstanceRequest::decode(R"(["/home/aki/a.csv"])"), std::nullopt);
    EXPECT_EQ(InstanceRequest::decode(R"({"openFiles": ["/home/aki/a.csv"])"), std::nullopt);
}

TEST(InstanceRequestTest, OversizedMessagesAreRefusedUnread)
{
    const QByteArray padding(InstanceRequest::maximumEncodedSize, ' ');

    EXPECT_EQ(InstanceRequest::decode(R"({"openFiles": ["/a.csv"]})" + padding), std::nullopt);
}

// Paths of 200 characters and more, with characters JSON escapes, so that
// 10,000 of them need three messages.
TEST(InstanceRequestTest, ASelectionTooLargeForOneMessageGoesInPartsThatEachFitAndKeepTheOrder)
{
    InstanceRequest selection;
    for (int index = 0; index < 10'000; ++index)
        selection.fileURLs.append(file(u"/home/aki/\"quoted\" \\ folder/%1/report %2.csv"_s
                                           .arg(QString(180, u'x'))
                                           .arg(index)));

    const QList<InstanceRequest> parts = selection.inParts();

    EXPECT_EQ(parts.size(), 3);
    QList<QUrl> together;
    for (const InstanceRequest& part : parts) {
        const QByteArray message = part.encoded();
        EXPECT_LE(message.size(), InstanceRequest::maximumEncodedSize);
        EXPECT_EQ(InstanceRequest::decode(message.chopped(1)), part);
        together.append(part.fileURLs);
    }
    EXPECT_EQ(together, selection.fileURLs);
    EXPECT_EQ(InstanceRequest().inParts(), QList<InstanceRequest>{InstanceRequest()}) << "a reopen stays one request";
}

} // namespace
