#include "AwaitTask.h"
#include "EmulatorTestHelpers.h"
#include "RawHttpExchange.h"

#include <QJsonDocument>

using namespace orvane::testsupport;
using namespace orvane::testsupport::emulator_tests;

namespace {

constexpr qint64 block = 256 * 1024;

class ResumableUploadEndpoint : public ::testing::Test {
protected:
    // Opens a session for a CSV file of content's size, converted to a spreadsheet.
    HttpResult initiate(const QString& query = u"uploadType=resumable&fields=id,name,mimeType,size"_s)
    {
        HttpHeaderList headers = bearer(token);
        headers.append({"X-Upload-Content-Type"_ba, "text/csv"_ba});
        headers.append({"X-Upload-Content-Length"_ba, QByteArray::number(content.size())});
        headers.append({"Content-Type"_ba, "application/json; charset=UTF-8"_ba});
        return http.send("POST"_ba, emulator.url(u"/upload/drive/v3/files?"_s + query), headers,
                         R"({"name":"big.csv","mimeType":"application/vnd.google-apps.spreadsheet","parents":["root"]})"_ba);
    }

    QUrl sessionUri()
    {
        const HttpResult opened = initiate();
        EXPECT_EQ(opened.status, 200) << opened.body.toStdString();
        return QUrl::fromEncoded(opened.header("Location").value_or(QByteArray()));
    }

    HttpResult put(const QUrl& session, qint64 first, qint64 length, const HttpHeaderList& authorization = {})
    {
        HttpHeaderList headers = authorization;
        headers.append({"Content-Range"_ba, "bytes "_ba + QByteArray::number(first) + '-' + QByteArray::number(first + length - 1)
                                                + '/' + QByteArray::number(content.size())});
        return http.send("PUT"_ba, session, headers, content.mid(first, length));
    }

    HttpResult askStatus(const QUrl& session)
    {
        return http.send("PUT"_ba, session, {{"Content-Range"_ba, "bytes */"_ba + QByteArray::number(content.size())}}, {});
    }

    // A chunk whose connection the emulator closes partway: sent from a plain
    // socket, since Qt would send a request again by itself.
    RawHttpExchange putCutOff(const QUrl& session, qint64 first, qint64 length)
    {
        const QByteArray head = "PUT "_ba + session.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
            + "Content-Length: " + QByteArray::number(length) + "\r\nContent-Range: bytes " + QByteArray::number(first) + '-'
            + QByteArray::number(first + length - 1) + '/' + QByteArray::number(content.size()) + "\r\n\r\n";
        return awaitTask(exchangeRawHttp(QHostAddress::LocalHost, quint16(session.port()), head + content.mid(first, length)));
    }

    static QByteArray csvOf(qint64 size)
    {
        QByteArray text;
        for (int row = 0; text.size() < size; ++row)
            text += QByteArray::number(row) + ",cell\n";
        return text.left(size);
    }

    GoogleEmulatorProcess emulator;
    LoopbackHttpClient http;
    QString token = emulator.accessToken();
    QByteArray content = csvOf(3 * block + 1000);
};

} // namespace

TEST_F(ResumableUploadEndpoint, OpensASessionTakesChunksAnswers308WithTheRangeAndStoresTheFileOnTheLastOne)
{
    const HttpResult opened = initiate();
    ASSERT_EQ(opened.status, 200) << opened.body.toStdString();
    EXPECT_TRUE(opened.body.isEmpty());
    const QByteArray location = opened.header("Location").value_or(QByteArray());
    const QByteArray prefix = emulator.url(u"/upload/drive/v3/files?uploadType=resumable&fields=id,name,mimeType,size&upload_id="_s).toEncoded();
    ASSERT_TRUE(location.startsWith(prefix)) << location.toStdString();
    const QUrl session = QUrl::fromEncoded(location);
    EXPECT_EQ(emulator.uploadSessions().first().uploadId, QString::fromLatin1(location.mid(prefix.size())));

    const HttpResult nothingYet = askStatus(session);
    EXPECT_EQ(nothingYet.status, 308);
    EXPECT_FALSE(nothingYet.header("Range")) << "no byte has arrived";

    const HttpResult first = put(session, 0, 2 * block, bearer(token));
    EXPECT_EQ(first.status, 308);
    EXPECT_EQ(first.header("Range"), "bytes=0-524287"_ba);
    EXPECT_EQ(askStatus(session).header("Range"), "bytes=0-524287"_ba);

    const HttpResult last = put(session, 2 * block, content.size() - 2 * block);
    ASSERT_EQ(last.status, 200) << last.body.toStdString();
    const QJsonObject file = last.json();
    EXPECT_EQ(file.keys(), (QStringList{u"id"_s, u"mimeType"_s, u"name"_s}))
        << "the fields the session was opened with; a spreadsheet has no size";
    EXPECT_EQ(file[u"mimeType"_s].toString(), spreadsheetType);
    const std::optional<EmulatedDriveItem> stored = emulator.findFile(file[u"id"_s].toString());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->size, content.size());
    EXPECT_EQ(stored->sha256, QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex()));
    EXPECT_EQ(stored->sourceMimeType, u"text/csv"_s);
    EXPECT_EQ(askStatus(session).body, last.body) << "a finished upload answers with its file";

    const EmulatedUploadSession kept = emulator.uploadSessions().first();
    EXPECT_EQ(kept.state, u"complete"_s);
    EXPECT_EQ(kept.chunkRequests, 2);
    EXPECT_EQ(kept.receivedBytes, content.size());
    EXPECT_EQ(kept.totalBytes, content.size());
}

TEST_F(ResumableUploadEndpoint, RefusesChunksThatBreakGooglesRules)
{
    const QUrl session = sessionUri();
    const auto refusal = [](const HttpResult& result) {
        EXPECT_EQ(result.status, 400);
        return result.json()[u"error"_s].toObject()[u"message"_s].toString().toStdString();
    };
    EXPECT_EQ(refusal(put(session, 0, block + 1)),
              "Invalid request. Every chunk but the last must be a multiple of 262144 bytes; this one holds 262145.");
    EXPECT_EQ(refusal(put(session, block, block)),
              "Invalid request. The chunk starts at byte 262144, but the upload has kept bytes up to 0; ask how far it "
              "got with \"Content-Range: bytes */TOTAL\".");
    EXPECT_EQ(http.send("PUT"_ba, session, {}, content.left(block)).status, 400) << "no Content-Range";
    EXPECT_EQ(http.send("PUT"_ba, session, {{"Content-Range"_ba, "bytes 0-262143/999"_ba}}, content.left(block)).status, 400)
        << "not the size announced";
    EXPECT_EQ(http.send("PUT"_ba, session, {{"Content-Range"_ba, "bytes 0-262143/"_ba + QByteArray::number(content.size())}},
                        content.left(1000))
                  .status,
              400)
        << "a body shorter than its range";
    EXPECT_EQ(http.send("PUT"_ba, emulator.url(u"/upload/drive/v3/files?uploadType=resumable&upload_id=ADunknown"_s),
                        {{"Content-Range"_ba, "bytes */1"_ba}}, {})
                  .status,
              404);
    EXPECT_EQ(put(session, 0, block).status, 308) << "the session is still usable";
}

TEST_F(ResumableUploadEndpoint, AnEmptyFileIsOnePutWithoutARangeAndItsSessionAnswersWithTheFileAfterwards)
{
    content.clear();
    const QUrl session = sessionUri();
    const HttpResult made = http.send("PUT"_ba, session, {}, {});
    ASSERT_EQ(made.status, 200) << made.body.toStdString();
    const std::optional<EmulatedDriveItem> stored = emulator.findFile(made.json()[u"id"_s].toString());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->name, u"big.csv"_s);
    EXPECT_EQ(askStatus(session).body, made.body);
}

TEST_F(ResumableUploadEndpoint, AChunkCutOffOnTheWayKeepsItsWholeBlocksAndIsCountedAsReceived)
{
    const QUrl session = sessionUri();
    ASSERT_EQ(put(session, 0, block).status, 308);
    emulator.dropAfterBodyBytes(u"/upload/drive/v3/files"_s, block + 5000, "PUT"_ba);
    const RawHttpExchange cut = putCutOff(session, block, 2 * block);
    EXPECT_TRUE(cut.closedByPeer);
    EXPECT_TRUE(cut.response.isEmpty()) << cut.response.toStdString();

    EXPECT_EQ(askStatus(session).header("Range"), "bytes=0-524287"_ba) << "the whole block of the cut-off chunk is kept";
    EmulatedUploadSession kept = emulator.uploadSessions().first();
    EXPECT_EQ(kept.persistedBytes, 2 * block);
    EXPECT_EQ(kept.receivedBytes, 2 * block + 5000);
    const RecordedRequest cutRequest = emulator.requests(u"/upload/drive/v3/files"_s)[2];
    EXPECT_EQ(cutRequest.bodySize, block + 5000) << "the log has what arrived of it";
    EXPECT_EQ(cutRequest.status, 0);

    ASSERT_EQ(put(session, 2 * block, content.size() - 2 * block).status, 200);
    kept = emulator.uploadSessions().first();
    EXPECT_EQ(kept.receivedBytes - content.size(), 5000) << "bytes sent twice";
}

TEST_F(ResumableUploadEndpoint, AFaultCanWaitForTheThirdChunk)
{
    const QUrl session = sessionUri();
    emulator.injectFault({{u"path"_s, u"/upload/drive/v3/files"_s}, {u"method"_s, u"PUT"_s}, {u"skip"_s, 2}, {u"status"_s, 503}});
    EXPECT_EQ(put(session, 0, block).status, 308);
    EXPECT_EQ(put(session, block, block).status, 308);
    EXPECT_EQ(put(session, 2 * block, block).status, 503);
    EXPECT_EQ(askStatus(session).header("Range"), "bytes=0-524287"_ba) << "nothing of the refused chunk is kept";
    EXPECT_EQ(put(session, 2 * block, block).status, 308);
}

TEST_F(ResumableUploadEndpoint, ASessionThatNeverFinishesKeepsEveryByteAndAnswers308WithTheFullRangeForEver)
{
    const QUrl open = sessionUri();
    ASSERT_EQ(put(open, 0, block).status, 308);
    emulator.makeUploadSessionsNeverFinish();
    const QUrl later = sessionUri();
    for (const QUrl& session : {open, later}) {
        const qint64 first = session == open ? block : 0;
        const HttpResult last = put(session, first, content.size() - first);
        EXPECT_EQ(last.status, 308) << last.body.toStdString();
        const QByteArray fullRange = "bytes=0-"_ba + QByteArray::number(content.size() - 1);
        EXPECT_EQ(last.header("Range"), fullRange);
        for (int question = 0; question < 3; ++question) {
            const HttpResult status = askStatus(session);
            EXPECT_EQ(status.status, 308);
            EXPECT_EQ(status.header("Range"), fullRange);
        }
    }
    for (const EmulatedUploadSession& session : emulator.uploadSessions()) {
        EXPECT_EQ(session.persistedBytes, content.size());
        EXPECT_EQ(session.state, u"open"_s);
    }
    EXPECT_TRUE(emulator.files().isEmpty());

    emulator.reset();
    token = emulator.accessToken();
    const QUrl afterReset = sessionUri();
    EXPECT_EQ(put(afterReset, 0, content.size()).status, 200) << "a reset ends it";
}

TEST_F(ResumableUploadEndpoint, AnExpiredOrCancelledSessionIsGoneAndATokenItCarriesMustBeValid)
{
    const QUrl expiring = sessionUri();
    ASSERT_EQ(put(expiring, 0, block).status, 308);
    emulator.expireUploadSessions();
    EXPECT_EQ(put(expiring, block, block).status, 404);
    EXPECT_EQ(askStatus(expiring).status, 404);

    const QUrl cancelled = sessionUri();
    const HttpResult cancel = http.send("DELETE"_ba, cancelled, {{"Content-Length"_ba, "0"_ba}}, {});
    EXPECT_EQ(cancel.status, 499);
    EXPECT_EQ(askStatus(cancelled).status, 404);
    EXPECT_EQ(http.send("DELETE"_ba, cancelled, {}, {}).status, 404);
    EXPECT_EQ(emulator.uploadSessions().last().state, u"cancelled"_s);

    const QUrl session = sessionUri();
    emulator.expireAllTokens();
    EXPECT_EQ(put(session, 0, block, bearer(token)).status, 401) << "an expired token";
    EXPECT_EQ(put(session, 0, block).status, 308) << "the session URI alone is enough";
    EXPECT_EQ(put(session, block, block, bearer(emulator.accessToken())).status, 308);
    EXPECT_EQ(emulator.files().size(), 0);
}
