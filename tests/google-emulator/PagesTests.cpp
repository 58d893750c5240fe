#include "EmulatorTestHelpers.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace orvane::testsupport;
using namespace orvane::testsupport::emulator_tests;

namespace {

class Pages : public ::testing::Test {
protected:
    QString create(const QString& name, const QString& mimeType, const QString& parent, const QByteArray& media = {},
                   const QByteArray& mediaType = {})
    {
        const QJsonObject metadata{{u"name"_s, name}, {u"mimeType"_s, mimeType}, {u"parents"_s, QJsonArray{parent}}};
        HttpResult result;
        if (mediaType.isEmpty()) {
            result = http.post(emulator.url(u"/drive/v3/files"_s), QJsonDocument(metadata).toJson(), "application/json"_ba, bearer(token));
        } else {
            const UploadBody body{.metadata = QJsonDocument(metadata).toJson(), .mediaType = mediaType, .media = media};
            result = http.post(emulator.url(uploadPath), body.bytes(), body.contentType(), bearer(token));
        }
        EXPECT_EQ(result.status, 200) << result.body.toStdString();
        return result.json()[u"id"_s].toString();
    }

    GoogleEmulatorProcess emulator;
    LoopbackHttpClient http;
    QString token = emulator.accessToken();
};

} // namespace

TEST_F(Pages, ShowAConvertedCsvAsATableWithItsFolderPath)
{
    const QString root = create(u"Opened from Mac"_s, folderType, u"root"_s);
    const QString imports = create(u"CSV Imports"_s, folderType, root);
    const QString sheet = create(u"prices <2024>.csv"_s, spreadsheetType, imports, "item,price\r\n\"Tea, green\",3\r\n\"say \"\"hi\"\"\",<b>\r\n"_ba,
                                 "text/csv"_ba);
    const HttpResult page = http.get(emulator.url(u"/spreadsheets/d/"_s + sheet + u"/edit?usp=drivesdk"_s));
    ASSERT_EQ(page.status, 200);
    EXPECT_EQ(page.header("Content-Type"), "text/html; charset=utf-8"_ba);
    EXPECT_TRUE(page.body.contains("<h1 class=\"name\">prices &lt;2024&gt;.csv</h1>")) << page.body.toStdString();
    EXPECT_TRUE(page.body.contains("<p class=\"path\">My Drive / Opened from Mac / CSV Imports</p>"));
    EXPECT_TRUE(page.body.contains("<table class=\"cells\">\n<tr><td>item</td><td>price</td></tr>\n<tr><td>Tea, green</td><td>3</td></tr>\n"
                                   "<tr><td>say &quot;hi&quot;</td><td>&lt;b&gt;</td></tr>\n</table>"));
}

TEST_F(Pages, ShowATsvAndAnUnconvertedFile)
{
    const QString tsv = create(u"t.tsv"_s, spreadsheetType, u"root"_s, "a\tb\n1\t2"_ba, "text/tab-separated-values"_ba);
    EXPECT_TRUE(http.get(emulator.url(u"/spreadsheets/d/"_s + tsv + u"/edit"_s)).body.contains("<tr><td>1</td><td>2</td></tr>"));
    const QString docx = create(u"letter.docx"_s, u"application/vnd.openxmlformats-officedocument.wordprocessingml.document"_s,
                                u"root"_s, "PK\x03\x04"_ba, "application/vnd.openxmlformats-officedocument.wordprocessingml.document"_ba);
    const HttpResult view = http.get(emulator.url(u"/file/d/"_s + docx + u"/view?usp=drivesdk"_s));
    ASSERT_EQ(view.status, 200);
    EXPECT_TRUE(view.body.contains("<h1 class=\"name\">letter.docx</h1>"));
    EXPECT_TRUE(view.body.contains("<p class=\"path\">My Drive</p>"));
    EXPECT_TRUE(view.body.contains("4 bytes"));
}

TEST_F(Pages, AnswerUnknownIdsAndTheWrongEditorWith404)
{
    const QString document = create(u"notes"_s, u"application/vnd.google-apps.document"_s, u"root"_s);
    EXPECT_EQ(http.get(emulator.url(u"/document/d/"_s + document + u"/edit"_s)).status, 200);
    EXPECT_EQ(http.get(emulator.url(u"/spreadsheets/d/"_s + document + u"/edit"_s)).status, 404);
    EXPECT_EQ(http.get(emulator.url(u"/presentation/d/1unknown/edit"_s)).status, 404);
    EXPECT_EQ(http.get(emulator.url(u"/file/d/1unknown/view"_s)).status, 404);
    EXPECT_EQ(http.get(emulator.url(u"/nothing/here"_s)).status, 404);
}
