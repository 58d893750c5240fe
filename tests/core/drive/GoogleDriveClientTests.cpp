#include "AwaitTask.h"
#include "support/DecodingError.h"
#include "support/FileError.h"
#include "drive/GoogleDriveClient.h"
#include "GoogleEmulatorProcess.h"
#include "QuickRetries.h"
#include "state/JSONLocalStateStore.h"
#include "routing/OrvaneError.h"
#include "state/Sha256.h"
#include "support/UrlError.h"
#include "open/WorkspaceOpenService.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;
using orvane::testsupport::GoogleEmulatorProcess;
using orvane::testsupport::RecordedRequest;

namespace {

const QString filesPath = u"/drive/v3/files"_s;
const QString uploadPath = u"/upload/drive/v3/files"_s;
const QString aboutPath = u"/drive/v3/about"_s;

// A token the emulator issued, or a failure, counting how often it was asked;
// after a refusal, the replacement the test set.
class FixedTokenProvider final : public AccessTokenProviding {
public:
    QString token;
    bool fails = false;
    int requests = 0;
    std::optional<QString> replacement;
    QStringList rejectedTokens;

    QCoro::Task<QString> accessToken() override
    {
        ++requests;
        if (fails)
            throw OrvaneError::oauthTokenUnavailable();
        // A copy: QCoro moves from any non-const lvalue handed to co_return.
        co_return QString(token);
    }

    QCoro::Task<std::optional<QString>> accessTokenReplacing(QString rejectedToken) override
    {
        rejectedTokens.append(rejectedToken);
        co_return std::optional<QString>(replacement);
    }
};

class GoogleDriveClientTest : public ::testing::Test {
protected:
    explicit GoogleDriveClientTest(GoogleEmulatorOptions options = {}) : emulator(std::move(options)) {}

    GoogleEmulatorProcess emulator;
    QTemporaryDir folder;
    FixedTokenProvider tokens;
    QNetworkAccessManager network;
    GoogleServiceEndpoints endpoints = GoogleServiceEndpoints::google().withServiceRoot(emulator.rootUrl());
    QList<RetryNotice> waits;
    // Where the client remembers its folders, as the application keeps them beside its state.
    DriveFolderStore folderStore() const { return DriveFolderStore(folder.filePath(DriveFolderStore::fileName)); }
    GoogleDriveClient client{tokens, network, GoogleFileURLResolver(endpoints), endpoints, folderStore(),
                             quickRetries(&waits)};

    void SetUp() override { tokens.token = emulator.accessToken(); }

    QUrl writeFile(const QString& name, const QByteArray& content)
    {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return QUrl::fromLocalFile(file.fileName());
    }

    DriveUploadRequest requestFor(const QUrl& url, OpenMode mode, const QString& root = u"Opened from Mac"_s)
    {
        const FileRoute route = FileRouter().route(url);
        return {url, LocalFileSnapshot::inspect(url, true), route, route.effectiveOpenMode(mode), root,
                route.destinationFolderName()};
    }

    // The client the test uploads through.
    virtual GoogleDriveClient& uploader() { return client; }
    DriveUploadResult upload(const DriveUploadRequest& request) { return awaitTask(uploader().uploadFile(request)); }

    QList<RecordedRequest> folderCreations() const
    {
        QList<RecordedRequest> creations;
        for (const RecordedRequest& request : emulator.requests(filesPath)) {
            if (request.method == "POST")
                creations.append(request);
        }
        return creations;
    }

    QList<EmulatedDriveItem> folders() const
    {
        QList<EmulatedDriveItem> all = emulator.files();
        all.removeIf([](const EmulatedDriveItem& item) { return !item.isFolder(); });
        return all;
    }

    // The upload's error, or a test failure when it succeeds.
    template <typename Failure>
    Failure uploadFailure(const DriveUploadRequest& request)
    {
        try {
            upload(request);
        } catch (const Failure& failure) {
            return failure;
        }
        throw std::logic_error("the upload did not fail as expected");
    }

    QString folderId(const QString& name, const QString& parent) const
    {
        for (const auto& item : emulator.files()) {
            if (item.isFolder() && item.name == name && item.parents.contains(parent))
                return item.id;
        }
        return {};
    }

    // The metadata Orvane sends for this CSV or Excel file in Google format.
    QByteArray expectedMetadata(const QUrl& url, const QByteArray& content, const QString& parentId) const
    {
        const FileRoute route = FileRouter().route(url);
        return R"({"appProperties":{"openMode":"googleFormat","sourceApp":"orvane","sourceContentHash":")"
            + Sha256::hexDigest(content).toLatin1() + R"(","sourcePathHash":")"
            + Sha256::hexDigest(url.toLocalFile().toUtf8()).toLatin1() + R"("},"mimeType":")"
            + route.uploadMetadataMimeType(OpenMode::googleFormat).toLatin1() + R"(","name":")"
            + url.fileName().toUtf8() + R"(","parents":[")" + parentId.toLatin1() + R"("]})";
    }

    // The waits follow Google's truncated exponential back-off: 1, 2, 4, 8, 16
    // and 32 s, each with up to a second of jitter, none over 32 s.
    static void expectGooglesBackoff(const QList<RetryNotice>& notices)
    {
        using namespace std::chrono_literals;
        for (qsizetype index = 0; index < notices.size(); ++index) {
            const std::chrono::milliseconds base = std::min<std::chrono::milliseconds>(1s * (1 << index), 32s);
            EXPECT_GE(notices[index].delay, base) << "wait " << index + 1;
            EXPECT_LE(notices[index].delay, std::min<std::chrono::milliseconds>(base + 1s, 32s)) << "wait " << index + 1;
            EXPECT_EQ(notices[index].nextAttempt, index + 2);
        }
    }

    // The upload requests of one method: POST opens a session, PUT sends bytes or asks how far they got.
    QList<RecordedRequest> sessionRequests(const QByteArray& method) const
    {
        QList<RecordedRequest> found = emulator.requests(uploadPath);
        found.removeIf([&](const RecordedRequest& request) { return request.method != method; });
        return found;
    }
};

// Google's conversion limits, made small.
class GoogleDriveClientWithSmallLimitsTest : public GoogleDriveClientTest {
protected:
    GoogleDriveClientWithSmallLimitsTest() : GoogleDriveClientTest({.maxSpreadsheetImportCells = 4}) {}
};

// Google Sheets converts files of at most 2 KB.
class GoogleDriveClientWithSmallImportSizeTest : public GoogleDriveClientTest {
protected:
    GoogleDriveClientWithSmallImportSizeTest() : GoogleDriveClientTest({.maxSpreadsheetImportBytes = 2048}) {}
};

} // namespace

TEST_F(GoogleDriveClientTest, ConvertsAnExcelFileInGoogleFormatThroughASessionWithTheExactBytes)
{
    const QByteArray content("PK\x03\x04\x00\x01 sheet\r\n--not a boundary\r\n", 32);
    const QUrl url = writeFile(u"Budget.xlsx"_s, content);
    const DriveUploadRequest request = requestFor(url, OpenMode::googleFormat);
    const DriveUploadResult result = upload(request);

    const QString rootId = folderId(u"Opened from Mac"_s, emulator.rootFolderId());
    const QString sheetsId = folderId(u"Sheets"_s, rootId);
    ASSERT_FALSE(sheetsId.isEmpty());
    const QList<RecordedRequest> uploads = emulator.requests(uploadPath);
    ASSERT_EQ(uploads.size(), 2) << "the session, then the file in one PUT";
    const RecordedRequest& initiation = uploads[0];
    EXPECT_EQ(initiation.method, "POST");
    EXPECT_EQ(initiation.query, "uploadType=resumable&fields=id,name,webViewLink,mimeType");
    EXPECT_EQ(initiation.header("Authorization"), "Bearer " + tokens.token.toUtf8());
    EXPECT_EQ(initiation.header("Content-Type"), "application/json; charset=UTF-8");
    EXPECT_EQ(initiation.header("X-Upload-Content-Type"), "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
    EXPECT_EQ(initiation.header("X-Upload-Content-Length"), "32");
    EXPECT_EQ(initiation.body, expectedMetadata(url, content, sheetsId));
    const RecordedRequest& media = uploads[1];
    EXPECT_EQ(media.method, "PUT");
    EXPECT_EQ(media.queryValue(u"upload_id"_s), emulator.uploadSessions().first().uploadId);
    EXPECT_EQ(media.header("Content-Range"), "bytes 0-31/32");
    EXPECT_EQ(media.header("Authorization"), "Bearer " + tokens.token.toUtf8());
    EXPECT_EQ(media.body, content);

    const auto stored = emulator.findFile(result.fileID);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->mimeType, u"application/vnd.google-apps.spreadsheet"_s);
    EXPECT_EQ(stored->parents, QStringList{sheetsId});
    EXPECT_EQ(result.openURL, emulator.url(u"/spreadsheets/d/%1/edit"_s.arg(result.fileID)));
    EXPECT_EQ(tokens.requests, 1);
}

TEST_F(GoogleDriveClientTest, KeepsTheOfficeFileAndOpensItsWebViewLink)
{
    const QUrl url = writeFile(u"Budget.xlsx"_s, "PK office");
    const DriveUploadResult result = upload(requestFor(url, OpenMode::officePreserved));

    const RecordedRequest initiation = sessionRequests("POST").first();
    const QByteArray xlsx = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
    EXPECT_TRUE(initiation.body->contains(R"("mimeType":")" + xlsx + '"'));
    EXPECT_TRUE(initiation.body->contains(R"("openMode":"officePreserved")"));
    EXPECT_EQ(initiation.header("X-Upload-Content-Type"), xlsx);
    EXPECT_EQ(sessionRequests("PUT").first().body, "PK office");
    EXPECT_EQ(emulator.findFile(result.fileID)->mimeType, QString::fromLatin1(xlsx));
    ASSERT_TRUE(result.webViewLink);
    EXPECT_EQ(result.openURL, *result.webViewLink);
    EXPECT_EQ(result.webViewLink, emulator.findFile(result.fileID)->webViewLink);
}

TEST_F(GoogleDriveClientTest, AMacroEnabledWorkbookIsConvertedToASpreadsheet)
{
    const DriveUploadResult result = upload(requestFor(writeFile(u"Budget.xlsm"_s, "PK macros"), OpenMode::googleFormat));
    EXPECT_EQ(sessionRequests("POST").first().header("X-Upload-Content-Type"), "application/vnd.ms-excel.sheet.macroEnabled.12");
    EXPECT_EQ(sessionRequests("PUT").first().body, "PK macros");
    EXPECT_EQ(emulator.findFile(result.fileID)->mimeType, u"application/vnd.google-apps.spreadsheet"_s);
    EXPECT_EQ(result.openURL, emulator.url(u"/spreadsheets/d/%1/edit"_s.arg(result.fileID)));
}

TEST_F(GoogleDriveClientTest, OfficeModeWithoutAWebViewLinkOpensTheDriveFilePage)
{
    emulator.injectFault({{u"path"_s, uploadPath}, {u"method"_s, u"PUT"_s}, {u"status"_s, 200},
                          {u"body"_s, uR"({"id":"file-1","name":"Budget.xlsx"})"_s},
                          {u"contentType"_s, u"application/json"_s}});
    const DriveUploadResult result = upload(requestFor(writeFile(u"Budget.xlsx"_s, "x"), OpenMode::officePreserved));
    EXPECT_EQ(result, (DriveUploadResult{u"file-1"_s, emulator.url(u"/file/d/file-1/view"_s), std::nullopt}));
}

TEST_F(GoogleDriveClientTest, SendsEmptyFilesUnusualNamesAndMissingHashesAsTheyAre)
{
    const QUrl empty = writeFile(u"empty.csv"_s, {});
    const DriveUploadResult emptyResult = upload(requestFor(empty, OpenMode::googleFormat));
    EXPECT_EQ(sessionRequests("POST").last().header("X-Upload-Content-Length"), "0");
    const RecordedRequest emptyPut = sessionRequests("PUT").last();
    EXPECT_FALSE(emptyPut.header("Content-Range")) << "an empty file has no bytes to name";
    EXPECT_EQ(emptyPut.bodySize, 0);
    EXPECT_EQ(emulator.findFile(emptyResult.fileID)->name, u"empty.csv"_s);

    const QString name = u"Q3 売上 \"final\" レポート.docx"_s;
    DriveUploadRequest unhashed = requestFor(writeFile(name, "doc"), OpenMode::googleFormat);
    unhashed.snapshot.sha256.reset();
    const DriveUploadResult result = upload(unhashed);
    const RecordedRequest sent = sessionRequests("POST").last();
    EXPECT_TRUE(sent.body->contains(R"("name":"Q3 売上 \"final\" レポート.docx")"));
    EXPECT_TRUE(sent.body->contains(R"("sourceContentHash":"")"));
    EXPECT_EQ(emulator.findFile(result.fileID)->name, name);
    EXPECT_EQ(emulator.findFile(result.fileID)->appProperties.value(u"sourceContentHash"_s), QString());
}

TEST_F(GoogleDriveClientTest, FindsItsFoldersAgainAndSendsTheSameMetadataInANewSessionEachTime)
{
    const QUrl url = writeFile(u"data.csv"_s, "a,b\n");
    upload(requestFor(url, OpenMode::googleFormat));
    upload(requestFor(url, OpenMode::googleFormat));

    EXPECT_EQ(folderCreations().size(), 2);
    EXPECT_EQ(emulator.requests(filesPath).size(), 4) << "two lookups and two creations, then none";
    const QString root = folderId(u"Opened from Mac"_s, emulator.rootFolderId());
    const QString destination = folderId(u"CSV Imports"_s, root);
    EXPECT_EQ(emulator.requests(filesPath + u'/' + root).size(), 1) << "the second upload asks for the remembered IDs";
    ASSERT_EQ(emulator.requests(filesPath + u'/' + destination).size(), 1);
    EXPECT_EQ(emulator.requests(filesPath + u'/' + root).first().query, "fields=id,name,mimeType,parents,trashed");
    const QList<RecordedRequest> initiations = sessionRequests("POST");
    ASSERT_EQ(initiations.size(), 2);
    EXPECT_EQ(initiations[0].body, initiations[1].body);
    const QList<RecordedRequest> puts = sessionRequests("PUT");
    ASSERT_EQ(puts.size(), 2);
    EXPECT_NE(puts[0].queryValue(u"upload_id"_s), puts[1].queryValue(u"upload_id"_s));
}

TEST_F(GoogleDriveClientTest, LooksUpWithTheExactQueryAndCreatesWithTheExactBody)
{
    upload(requestFor(writeFile(u"deck.pptx"_s, "ppt"), OpenMode::googleFormat));
    const RecordedRequest lookup = emulator.requests(filesPath).first();
    EXPECT_EQ(lookup.method, "GET");
    EXPECT_EQ(lookup.queryValue(u"q"_s),
              u"mimeType='application/vnd.google-apps.folder' and name='Opened from Mac' and 'root' in parents and trashed=false"_s);
    EXPECT_EQ(lookup.queryValue(u"fields"_s), u"nextPageToken,files(id,name,parents)"_s);
    EXPECT_EQ(lookup.queryValue(u"pageSize"_s), u"1"_s);
    EXPECT_FALSE(lookup.queryValue(u"pageToken"_s));
    EXPECT_FALSE(lookup.header("Content-Type"));
    EXPECT_EQ(lookup.bodySize, 0);

    const QList<RecordedRequest> generations = emulator.requests(filesPath + u"/generateIds"_s);
    ASSERT_EQ(generations.size(), 2);
    EXPECT_EQ(generations.first().query, "count=1&space=drive&type=files");
    const RecordedRequest creation = folderCreations().first();
    EXPECT_EQ(creation.query, "fields=id,name,parents");
    EXPECT_EQ(creation.header("Content-Type"), "application/json; charset=utf-8");
    EXPECT_EQ(creation.header("Authorization"), "Bearer " + tokens.token.toUtf8());
    const QString root = folderId(u"Opened from Mac"_s, emulator.rootFolderId());
    EXPECT_EQ(creation.body, R"({"id":")" + root.toLatin1()
                                 + R"(","mimeType":"application/vnd.google-apps.folder","name":"Opened from Mac","parents":["root"]})");
}

TEST_F(GoogleDriveClientTest, EscapesApostrophesAndBackslashesInFolderNames)
{
    const QUrl url = writeFile(u"notes.doc"_s, "doc");
    for (const auto& [name, quoted] : {std::pair{u"Aki's files"_s, u"Aki\\'s files"_s},
                                       std::pair{u"a\\b"_s, u"a\\\\b"_s},
                                       std::pair{u"x\\'y + z & w"_s, u"x\\\\\\'y + z & w"_s}}) {
        emulator.reset();
        tokens.token = emulator.accessToken();
        upload(requestFor(url, OpenMode::googleFormat, name));
        EXPECT_EQ(emulator.requests(filesPath).first().queryValue(u"q"_s),
                  u"mimeType='application/vnd.google-apps.folder' and name='"_s + quoted
                      + u"' and 'root' in parents and trashed=false"_s);
        EXPECT_FALSE(folderId(name, emulator.rootFolderId()).isEmpty()) << name.toStdString();

        upload(requestFor(url, OpenMode::googleFormat, name));
        EXPECT_EQ(folderCreations().size(), 2) << "found again: " << name.toStdString();
    }
}

TEST_F(GoogleDriveClientTest, ATrashedFolderIsNotReused)
{
    const QUrl url = writeFile(u"data.tsv"_s, "a\tb\n");
    upload(requestFor(url, OpenMode::googleFormat));
    emulator.trash(folderId(u"Opened from Mac"_s, emulator.rootFolderId()));
    upload(requestFor(url, OpenMode::googleFormat));
    EXPECT_EQ(folderCreations().size(), 4);
}

TEST_F(GoogleDriveClientTest, RefusalsThatAreNotPassingStopAtOnceWithGooglesOwnMessage)
{
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    for (const auto& [status, reason, message] :
         {std::tuple{401, u"authError"_s, u"Request had invalid authentication credentials."_s},
          std::tuple{403, u"forbidden"_s, u"Forbidden"_s}, std::tuple{404, u"notFound"_s, u"File not found: root."_s},
          std::tuple{400, u"badRequest"_s, u"Invalid Value"_s}}) {
        emulator.reset();
        tokens.token = emulator.accessToken();
        emulator.injectFault({{u"path"_s, filesPath}, {u"status"_s, status}, {u"reason"_s, reason}, {u"message"_s, message}});
        const UrlError error = uploadFailure<UrlError>(requestFor(url, OpenMode::googleFormat));
        EXPECT_EQ(error, UrlError(UrlError::Code::badServerResponse, status, message));
        EXPECT_EQ(error.localizedDescription(), u"Google Drive answered with an unexpected response: "_s + message);
        EXPECT_EQ(emulator.requests(filesPath).size(), 1) << status;
        EXPECT_TRUE(emulator.requests(uploadPath).isEmpty());
    }
    EXPECT_TRUE(waits.isEmpty());
}

TEST_F(GoogleDriveClientTest, PassingFailuresAreTriedAgainAfterAWaitAndTheUploadGoesThrough)
{
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    // Each fault, and the tries a request meeting it may take: rate limits get more.
    const std::initializer_list<std::tuple<const char*, std::function<void()>, int>> faults{
        {"429", [&] { emulator.failNextRequests(filesPath, 429); }, 7},
        {"500", [&] { emulator.failNextRequests(filesPath, 500); }, 5},
        {"502", [&] { emulator.failNextRequests(filesPath, 502); }, 5},
        {"503", [&] { emulator.failNextRequests(filesPath, 503); }, 5},
        {"504", [&] { emulator.failNextRequests(filesPath, 504); }, 5},
        {"403 rateLimitExceeded", [&] { emulator.failNextRequests(filesPath, 403, u"rateLimitExceeded"_s); }, 7},
        {"403 userRateLimitExceeded", [&] { emulator.failNextRequests(filesPath, 403, u"userRateLimitExceeded"_s); }, 7},
        // Qt sends a request again by itself once when its connection drops.
        {"lookup dropped", [&] { emulator.dropNextRequests(filesPath, 2); }, 5},
        {"session 503", [&] { emulator.failNextRequests(uploadPath, 503, 1, "POST"); }, 5},
        {"file 503", [&] { emulator.failNextRequests(uploadPath, 503, 1, "PUT"); }, 5},
        {"file dropped", [&] { emulator.dropNextRequests(uploadPath, 1, "PUT"); }, 5},
    };
    for (const auto& [name, arrangeFault, maximumAttempts] : faults) {
        emulator.reset();
        tokens.token = emulator.accessToken();
        waits.clear();
        arrangeFault();
        const DriveUploadResult result = upload(requestFor(url, OpenMode::googleFormat));
        EXPECT_TRUE(emulator.findFile(result.fileID)) << name;
        ASSERT_EQ(waits.size(), 1) << name;
        EXPECT_EQ(waits.first().nextAttempt, 2);
        EXPECT_EQ(waits.first().maximumAttempts, maximumAttempts) << name;
        EXPECT_EQ(folders().size(), 2) << name;
        EXPECT_EQ(emulator.files().size(), 3) << name << ": one file, in two folders";
    }
}

TEST_F(GoogleDriveClientTest, APassingFailureThatPersistsEndsAfterFiveTriesWithGooglesMessage)
{
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    emulator.failNextRequests(filesPath, 503, 5);
    const UrlError error = uploadFailure<UrlError>(requestFor(url, OpenMode::googleFormat));
    EXPECT_EQ(error.localizedDescription(), u"Google Drive answered with an unexpected response: Backend Error"_s);
    EXPECT_EQ(emulator.requests(filesPath).size(), 5);
    ASSERT_EQ(waits.size(), 4);
    expectGooglesBackoff(waits);
    EXPECT_EQ(waits.last().maximumAttempts, 5);

    emulator.reset();
    tokens.token = emulator.accessToken();
    emulator.dropNextRequests(uploadPath, 5, "PUT");
    EXPECT_EQ(uploadFailure<UrlError>(requestFor(url, OpenMode::googleFormat)).code(), UrlError::Code::networkConnectionLost);
    EXPECT_EQ(sessionRequests("PUT").size(), 5) << "the file, then four questions";
    EXPECT_EQ(emulator.uploadSessions().first().state, u"cancelled"_s);
    EXPECT_TRUE(emulator.files().size() == 2) << "the folders only";
}

TEST_F(GoogleDriveClientTest, TheFolderStepAndTheLookupItMakesShareOneCountOfFiveTries)
{
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    // Every lookup loses its connection (Qt itself sends each once more).
    emulator.dropNextRequests(filesPath, 100, "GET");
    EXPECT_EQ(uploadFailure<UrlError>(requestFor(url, OpenMode::googleFormat)).code(), UrlError::Code::networkConnectionLost);
    EXPECT_LE(emulator.requests(filesPath).size(), 10) << "five tries, some sent twice by Qt";
    ASSERT_EQ(waits.size(), 4);
    expectGooglesBackoff(waits);
    for (const RetryNotice& notice : waits)
        EXPECT_EQ(notice.maximumAttempts, 5);
    EXPECT_TRUE(emulator.files().isEmpty());
}

TEST_F(GoogleDriveClientTest, RateLimitsWaitUpToThirtyTwoSecondsAndAboutAMinuteInAll)
{
    using namespace std::chrono_literals;
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    emulator.failNextRequests(filesPath, 429, 6);
    upload(requestFor(url, OpenMode::googleFormat));
    ASSERT_EQ(waits.size(), 6);
    expectGooglesBackoff(waits);
    EXPECT_EQ(waits.last().maximumAttempts, 7);
    std::chrono::milliseconds total{0};
    for (const RetryNotice& notice : waits)
        total += notice.delay;
    EXPECT_GE(total, 63s);
    EXPECT_LE(total, 68s);

    // A rate-limit 403 that persists ends after the seventh try with Google's message.
    emulator.reset();
    tokens.token = emulator.accessToken();
    waits.clear();
    emulator.failNextRequests(filesPath, 403, u"userRateLimitExceeded"_s, 7);
    EXPECT_EQ(uploadFailure<UrlError>(requestFor(url, OpenMode::googleFormat)).localizedDescription(),
              u"Google Drive answered with an unexpected response: User Rate Limit Exceeded"_s);
    EXPECT_EQ(emulator.requests(filesPath).size(), 7);
    EXPECT_EQ(waits.size(), 6);
}

TEST_F(GoogleDriveClientTest, AFolderCreationSentAgainCarriesItsIdAndIsNeverMadeTwiceWhateverTheSearchSees)
{
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    // Drive made the folder but answered 503, and its search does not show it yet.
    emulator.lagSearchBehind(std::chrono::minutes(10));
    emulator.failNextAnswers(filesPath, 503, 1, "POST");
    upload(requestFor(url, OpenMode::googleFormat));
    EXPECT_EQ(folders().size(), 2);
    const QList<RecordedRequest> creations = folderCreations();
    ASSERT_EQ(creations.size(), 3) << "the root folder twice (answered 503, then 409), the destination once";
    EXPECT_EQ(creations[0].body, creations[1].body) << "the same ID";
    EXPECT_EQ(creations[1].status, 409);
    ASSERT_EQ(waits.size(), 1);

    // The same when the connection drops before the answer.
    emulator.reset();
    QFile::remove(folderStore().filePath());
    tokens.token = emulator.accessToken();
    emulator.lagSearchBehind(std::chrono::minutes(10));
    emulator.dropNextAnswers(filesPath, 1, "POST");
    upload(requestFor(url, OpenMode::googleFormat));
    EXPECT_EQ(folders().size(), 2);
    EXPECT_EQ(folderCreations().size(), 3);

    // A creation refused before it was made is made on the next try.
    emulator.reset();
    QFile::remove(folderStore().filePath());
    tokens.token = emulator.accessToken();
    emulator.failNextRequests(filesPath, 503, 1, "POST");
    upload(requestFor(url, OpenMode::googleFormat));
    EXPECT_EQ(folders().size(), 2);
    EXPECT_EQ(folderCreations().size(), 3);
}

TEST_F(GoogleDriveClientTest, RememberedFoldersOutliveTheClientSoALaggingSearchNeverMakesOneTwice)
{
    emulator.lagSearchBehind(std::chrono::minutes(10));
    // Every upload with a new client, as every start of Orvane makes one.
    const auto uploadWithNewClient = [&](const QUrl& url) {
        GoogleDriveClient fresh{tokens, network, GoogleFileURLResolver(endpoints), endpoints, folderStore(), quickRetries(&waits)};
        return awaitTask(fresh.uploadFile(requestFor(url, OpenMode::googleFormat)));
    };
    uploadWithNewClient(writeFile(u"one.csv"_s, "1\n"));
    uploadWithNewClient(writeFile(u"two.xlsx"_s, "PK"));
    uploadWithNewClient(writeFile(u"three.csv"_s, "3\n"));
    QStringList names;
    for (const EmulatedDriveItem& item : folders())
        names.append(item.name);
    EXPECT_EQ(names, (QStringList{u"Opened from Mac"_s, u"CSV Imports"_s, u"Sheets"_s}));

    // A remembered folder in the bin is not used; a new one is made.
    const QString root = folderId(u"Opened from Mac"_s, emulator.rootFolderId());
    emulator.trash(folderId(u"CSV Imports"_s, root));
    const DriveUploadResult fourth = uploadWithNewClient(writeFile(u"four.csv"_s, "4\n"));
    const QString newImports = emulator.findFile(fourth.fileID)->parents.value(0);
    EXPECT_FALSE(emulator.findFile(newImports)->trashed);
    EXPECT_EQ(emulator.findFile(newImports)->parents, QStringList{root});
    EXPECT_EQ(folders().size(), 4);
}

TEST_F(GoogleDriveClientTest, TwoOrvanesMakingTheirFoldersAtOnceMakeEachOnce)
{
    emulator.lagSearchBehind(std::chrono::minutes(10));
    GoogleDriveClient first{tokens, network, GoogleFileURLResolver(endpoints), endpoints, folderStore(), quickRetries(&waits)};
    GoogleDriveClient second{tokens, network, GoogleFileURLResolver(endpoints), endpoints, folderStore(), quickRetries(&waits)};
    const DriveUploadRequest one = requestFor(writeFile(u"one.csv"_s, "1\n"), OpenMode::googleFormat);
    const DriveUploadRequest two = requestFor(writeFile(u"two.csv"_s, "2\n"), OpenMode::googleFormat);
    const auto both = [&]() -> QCoro::Task<> {
        // Both start at once: each runs until its first request is on the way.
        QCoro::Task<DriveUploadResult> firstUpload = first.uploadFile(one);
        QCoro::Task<DriveUploadResult> secondUpload = second.uploadFile(two);
        co_await std::move(firstUpload);
        co_await std::move(secondUpload);
    };
    awaitTask(both());
    EXPECT_EQ(folders().size(), 2);
    EXPECT_EQ(emulator.files().size(), 4);
}

TEST_F(GoogleDriveClientTest, AFolderOnALaterPageIsFoundSoItIsNeverMadeTwice)
{
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    upload(requestFor(url, OpenMode::googleFormat));
    emulator.answerNextListsInPagesOf({0, 0});
    // Another Orvane, which remembers no folders.
    GoogleDriveClient other{tokens, network, GoogleFileURLResolver(endpoints), endpoints,
                            DriveFolderStore(folder.filePath(u"other/"_s + DriveFolderStore::fileName)), quickRetries(&waits)};
    awaitTask(other.uploadFile(requestFor(url, OpenMode::googleFormat)));

    EXPECT_EQ(folders().size(), 2);
    const QList<RecordedRequest> lookups = emulator.requests(filesPath).mid(4);
    ASSERT_EQ(lookups.size(), 4) << "the root folder on the third page, the destination on the first";
    EXPECT_EQ(lookups[0].queryValue(u"fields"_s), u"nextPageToken,files(id,name,parents)"_s);
    EXPECT_FALSE(lookups[0].queryValue(u"pageToken"_s));
    EXPECT_TRUE(lookups[1].queryValue(u"pageToken"_s));
    EXPECT_TRUE(lookups[2].queryValue(u"pageToken"_s));
    EXPECT_FALSE(lookups[3].queryValue(u"pageToken"_s));
}

TEST_F(GoogleDriveClientTest, ARefusedPageTokenStartsTheLookupAgainFromTheFirstPageOnce)
{
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    upload(requestFor(url, OpenMode::googleFormat));
    const qsizetype before = emulator.requests(filesPath).size();
    // Forgotten folders are looked up.
    QFile::remove(folderStore().filePath());
    // The first page is empty; Drive then refuses the token it gave for the second.
    emulator.answerNextListsInPagesOf({0});
    emulator.injectFault({{u"path"_s, filesPath}, {u"method"_s, u"GET"_s}, {u"skip"_s, 1}, {u"status"_s, 400},
                          {u"reason"_s, u"invalid"_s}, {u"message"_s, u"Invalid Value"_s}});
    upload(requestFor(url, OpenMode::googleFormat));
    EXPECT_EQ(folders().size(), 2) << "found again, none made";
    const QList<RecordedRequest> lookups = emulator.requests(filesPath).mid(before);
    ASSERT_EQ(lookups.size(), 4) << "the root folder: page, refused page, first page again; then the destination";
    EXPECT_TRUE(lookups[1].queryValue(u"pageToken"_s));
    EXPECT_EQ(lookups[1].status, 400);
    EXPECT_FALSE(lookups[2].queryValue(u"pageToken"_s));
    EXPECT_EQ(lookups[2].status, 200);
    EXPECT_TRUE(waits.isEmpty());

    // Refused again after the new start: the error, with Google's message.
    emulator.answerNextListsInPagesOf({0, 0});
    emulator.injectFault({{u"path"_s, filesPath}, {u"method"_s, u"GET"_s}, {u"skip"_s, 1}, {u"status"_s, 400},
                          {u"message"_s, u"Invalid Value"_s}});
    emulator.injectFault({{u"path"_s, filesPath}, {u"method"_s, u"GET"_s}, {u"skip"_s, 2}, {u"status"_s, 400},
                          {u"message"_s, u"Invalid Value"_s}});
    QFile::remove(folderStore().filePath());
    const UrlError error = uploadFailure<UrlError>(requestFor(url, OpenMode::googleFormat));
    EXPECT_EQ(error, UrlError(UrlError::Code::badServerResponse, 400, u"Invalid Value"_s));
    EXPECT_EQ(folders().size(), 2);
}

TEST_F(GoogleDriveClientTest, AnUnauthorisedAnswerGetsOneRefreshedTokenAndOneMoreTry)
{
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    const QString refused = tokens.token;
    tokens.replacement = emulator.accessToken();
    emulator.failNextRequests(filesPath, 401);
    upload(requestFor(url, OpenMode::googleFormat));
    EXPECT_EQ(tokens.rejectedTokens, QStringList{refused});
    const QList<RecordedRequest> sent = emulator.requests();
    // Lookup, ID, creation for each folder, then the session and the file.
    EXPECT_EQ(sent[sent.size() - 9].header("Authorization"), "Bearer " + refused.toUtf8());
    for (qsizetype index = sent.size() - 8; index < sent.size(); ++index)
        EXPECT_EQ(sent[index].header("Authorization"), "Bearer " + tokens.replacement->toUtf8()) << index;

    // A second 401, even on another request of the upload, is the error.
    tokens.rejectedTokens.clear();
    emulator.failNextRequests(filesPath + u'/' + folderId(u"Opened from Mac"_s, emulator.rootFolderId()), 401);
    emulator.failNextRequests(uploadPath, 401);
    EXPECT_EQ(uploadFailure<UrlError>(requestFor(url, OpenMode::googleFormat)).statusCode(), 401);
    EXPECT_EQ(tokens.rejectedTokens.size(), 1);

    // Without a refresh token there is nothing to try again with.
    tokens.rejectedTokens.clear();
    tokens.replacement.reset();
    emulator.failNextRequests(uploadPath, 401);
    EXPECT_EQ(uploadFailure<UrlError>(requestFor(url, OpenMode::googleFormat)).statusCode(), 401);
    EXPECT_EQ(tokens.rejectedTokens.size(), 1);
}

TEST_F(GoogleDriveClientWithSmallLimitsTest, AFileTooLargeToConvertFailsOnceWithGooglesReason)
{
    const UrlError error = uploadFailure<UrlError>(requestFor(writeFile(u"wide.csv"_s, "a,b,c\n1,2,3\n"), OpenMode::googleFormat));
    EXPECT_EQ(error.localizedDescription(), u"Google Drive answered with an unexpected response: The file is too large to "
                                            u"be converted to a Google spreadsheet (at most 4 cells)."_s);
    // Google reads a 4xx in a session as one that is gone: one new session, refused alike.
    EXPECT_EQ(sessionRequests("PUT").size(), 2);
    EXPECT_EQ(emulator.uploadSessions().size(), 2);
    EXPECT_EQ(emulator.files().size(), 2) << "the folders only";
}

TEST_F(GoogleDriveClientWithSmallImportSizeTest, AboutIsReadOnceByTheFirstConversionAndAFileOverItsLimitSendsNothing)
{
    const QUrl workbook = writeFile(u"big.xlsx"_s, QByteArray(4096, 'x'));
    upload(requestFor(workbook, OpenMode::officePreserved));
    EXPECT_TRUE(emulator.requests(aboutPath).isEmpty()) << "a file kept as it is has no limit to know";

    upload(requestFor(writeFile(u"full.csv"_s, QByteArray(2047, 'a') + '\n'), OpenMode::googleFormat));
    const QList<RecordedRequest> abouts = emulator.requests(aboutPath);
    ASSERT_EQ(abouts.size(), 1);
    EXPECT_EQ(abouts.first().queryValue(u"fields"_s), u"importFormats,maxImportSizes"_s);
    EXPECT_EQ(abouts.first().header("Authorization"), "Bearer " + tokens.token.toUtf8());

    const qsizetype sentBefore = emulator.requests().size();
    EXPECT_EQ(uploadFailure<ConversionRefusedError>(
                  requestFor(writeFile(u"big.csv"_s, QByteArray(2049, 'a')), OpenMode::googleFormat))
                  .localizedDescription(),
              u"\u201Cbig.csv\u201D is larger than the 2 KB Google Sheets accepts for conversion, so nothing was "
              u"uploaded."_s);
    EXPECT_EQ(uploadFailure<ConversionRefusedError>(requestFor(workbook, OpenMode::googleFormat)).localizedDescription(),
              u"\u201Cbig.xlsx\u201D is larger than the 2 KB Google Sheets accepts for conversion, so nothing was "
              u"uploaded. To put it on Drive as an Office file, choose \u201CKeep Office format on Drive\u201D in "
              u"Preferences."_s);
    EXPECT_EQ(emulator.requests().size(), sentBefore) << "no folder step, no byte of the file, no second about";
}

TEST_F(GoogleDriveClientWithSmallImportSizeTest, WhenDriveWillNotTellItsLimitsTheUploadGoesAndDriveJudgesIt)
{
    emulator.failNextRequests(aboutPath, 403);
    const UrlError refused =
        uploadFailure<UrlError>(requestFor(writeFile(u"big.csv"_s, QByteArray(2049, 'a')), OpenMode::googleFormat));
    EXPECT_EQ(refused.statusCode(), 400) << "Drive's own refusal of the conversion";
    // A 4xx in a session reads as one that is gone: one new session, refused alike.
    EXPECT_EQ(sessionRequests("PUT").size(), 2);

    // Not remembered: the next conversion asks again; without any answer
    // nothing could be uploaded either, so the open ends before its folders.
    emulator.dropNextRequests(aboutPath, 20);
    const qsizetype folderRequests = emulator.requests(filesPath).size();
    const UrlError unanswered =
        uploadFailure<UrlError>(requestFor(writeFile(u"small.csv"_s, "a\n"), OpenMode::googleFormat));
    EXPECT_EQ(unanswered.statusCode(), std::nullopt);
    EXPECT_EQ(emulator.requests(filesPath).size(), folderRequests);
    EXPECT_EQ(sessionRequests("PUT").size(), 2);
}

TEST_F(GoogleDriveClientTest, GooglesReasonForRefusingAnUploadReachesTheErrorText)
{
    emulator.injectFault({{u"path"_s, uploadPath}, {u"status"_s, 403}, {u"reason"_s, u"storageQuotaExceeded"_s},
                          {u"message"_s, u"The user's Drive storage quota has been exceeded."_s}});
    const UrlError error = uploadFailure<UrlError>(requestFor(writeFile(u"data.csv"_s, "a\n"), OpenMode::googleFormat));
    EXPECT_EQ(error.localizedDescription(),
              u"Google Drive answered with an unexpected response: The user's Drive storage quota has been exceeded."_s);
    EXPECT_EQ(emulator.requests(uploadPath).size(), 1);
}

TEST_F(GoogleDriveClientTest, AnswersThatDoNotDecodeAreDecodingErrors)
{
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    emulator.injectFault({{u"path"_s, filesPath}, {u"status"_s, 204}, {u"body"_s, u""_s}});
    EXPECT_THROW(upload(requestFor(url, OpenMode::googleFormat)), DecodingError);
    emulator.injectFault({{u"path"_s, filesPath}, {u"status"_s, 200}, {u"body"_s, u""_s}});
    EXPECT_THROW(upload(requestFor(url, OpenMode::googleFormat)), DecodingError);
    emulator.injectFault({{u"path"_s, filesPath}, {u"status"_s, 200}, {u"body"_s, u"{}"_s}});
    EXPECT_THROW(upload(requestFor(url, OpenMode::googleFormat)), DecodingError);
    EXPECT_TRUE(folderCreations().isEmpty());
}

TEST_F(GoogleDriveClientTest, AnswersWithoutAnIdAreMissingFileIds)
{
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    const QJsonObject nameOnly{{u"status"_s, 200}, {u"body"_s, uR"({"name":"x"})"_s}};
    QJsonObject creationFault = nameOnly;
    creationFault.insert(u"path"_s, filesPath);
    creationFault.insert(u"method"_s, u"POST"_s);
    emulator.injectFault(creationFault);
    EXPECT_THROW(upload(requestFor(url, OpenMode::googleFormat)), OrvaneError);
    EXPECT_TRUE(emulator.requests(uploadPath).isEmpty());

    QJsonObject uploadFault = nameOnly;
    uploadFault.insert(u"path"_s, uploadPath);
    uploadFault.insert(u"method"_s, u"PUT"_s);
    emulator.injectFault(uploadFault);
    try {
        upload(requestFor(url, OpenMode::googleFormat));
        FAIL();
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error, OrvaneError::driveResponseMissingFileID());
    }
}

TEST_F(GoogleDriveClientTest, TokenFailuresEndTheUploadBeforeAnyRequest)
{
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    emulator.reset();
    tokens.fails = true;
    EXPECT_THROW(upload(requestFor(url, OpenMode::googleFormat)), OrvaneError);
    EXPECT_TRUE(emulator.requests().isEmpty());
}

TEST_F(GoogleDriveClientTest, AFileGoneBeforeTheUploadSendsNothing)
{
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    const DriveUploadRequest request = requestFor(url, OpenMode::googleFormat);
    QFile::remove(url.toLocalFile());
    try {
        upload(request);
        FAIL();
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), FileError::Kind::notFound);
        EXPECT_EQ(error.path(), url.toLocalFile());
    }
    EXPECT_EQ(folderCreations().size(), 2);
    EXPECT_TRUE(emulator.requests(uploadPath).isEmpty());
}

TEST_F(GoogleDriveClientTest, AFileThatChangesDuringItsUploadIsNotSentTornAndNothingIsRecorded)
{
    JSONLocalStateStore store(QUrl::fromLocalFile(folder.filePath(u"state/local-state.json"_s)));
    WorkspaceOpenService service(FileRouter(), DriveFolderResolver{u"Opened from Mac"_s}, store, client);
    const OrvanePreferences preferences{OpenMode::googleFormat, u"Opened from Mac"_s, true};
    // Large enough that libcurl waits for the server's go-ahead before it reads the file.
    const QUrl url = writeFile(u"growing.csv"_s, QByteArray(2 * 1024 * 1024, 'a'));
    emulator.stallNextRequests(uploadPath, std::chrono::milliseconds(800), 1, "PUT");
    QTimer::singleShot(std::chrono::milliseconds(200), [&] {
        QFile file(url.toLocalFile());
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("more,rows\n");
    });
    try {
        awaitTask(service.open(url, preferences, QDateTime::currentDateTimeUtc()));
        FAIL() << "a torn copy was uploaded";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), url.toLocalFile());
        EXPECT_TRUE(error.localizedDescription().contains(u"changed while it was being uploaded"_s))
            << error.localizedDescription().toStdString();
    }
    EXPECT_EQ(emulator.files().size(), 2) << "the folders, and no file";
    ASSERT_EQ(sessionRequests("PUT").size(), 1) << "not tried again";
    EXPECT_EQ(sessionRequests("PUT").first().status, 0) << "the request never completed";
    EXPECT_EQ(emulator.uploadSessions().first().state, u"cancelled"_s);
    EXPECT_TRUE(store.loadRecords().isEmpty());
}

TEST_F(GoogleDriveClientTest, AFileChangedSinceItWasFingerprintedIsNotUploaded)
{
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    const DriveUploadRequest request = requestFor(url, OpenMode::googleFormat);
    QFile file(url.toLocalFile());
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("b\n");
    file.close();
    EXPECT_THROW(upload(request), FileError);
    EXPECT_TRUE(emulator.requests(uploadPath).isEmpty());
}

TEST_F(GoogleDriveClientTest, FailedUploadsThroughTheOpenServiceLeaveTheStateFileAlone)
{
    JSONLocalStateStore store(QUrl::fromLocalFile(folder.filePath(u"state/local-state.json"_s)));
    WorkspaceOpenService service(FileRouter(), DriveFolderResolver{u"Opened from Mac"_s}, store, client);
    const OrvanePreferences preferences{OpenMode::googleFormat, u"Opened from Mac"_s, true};
    const QUrl kept = writeFile(u"kept.csv"_s, "kept\n");
    awaitTask(service.open(kept, preferences, QDateTime::currentDateTimeUtc()));
    QFile stateFile(store.stateURL().toLocalFile());
    ASSERT_TRUE(stateFile.open(QIODevice::ReadOnly));
    const QByteArray before = stateFile.readAll();

    const QUrl url = writeFile(u"new.csv"_s, "new\n");
    const auto attempts = std::initializer_list<std::function<void()>>{
        [&] { emulator.failNextRequests(filesPath + u'/' + folderId(u"Opened from Mac"_s, emulator.rootFolderId()), 500, 5); },
        [&] { emulator.failNextRequests(uploadPath, 403); },
        [&] { emulator.dropNextRequests(uploadPath, 5, "PUT"); },
        [&] { emulator.injectFault({{u"path"_s, uploadPath}, {u"method"_s, u"PUT"_s}, {u"status"_s, 200}, {u"body"_s, u"{}"_s}}); },
    };
    for (const auto& arrangeFailure : attempts) {
        arrangeFailure();
        EXPECT_ANY_THROW(awaitTask(service.open(url, preferences, QDateTime::currentDateTimeUtc())));
        QFile after(store.stateURL().toLocalFile());
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), before);
    }
    for (const LocalFileRecord& record : store.loadRecords())
        EXPECT_TRUE(emulator.findFile(record.googleDriveFileID)) << record.googleDriveFileID.toStdString();
}

TEST_F(GoogleDriveClientTest, ASmallUploadWhoseAnswerIsLostAfterDriveKeptItMakesOneFileAndTheRecordPointsAtIt)
{
    JSONLocalStateStore store(QUrl::fromLocalFile(folder.filePath(u"state/local-state.json"_s)));
    WorkspaceOpenService service(FileRouter(), DriveFolderResolver{u"Opened from Mac"_s}, store, client);
    const OrvanePreferences preferences{OpenMode::googleFormat, u"Opened from Mac"_s, true};
    // Drive makes the file, the connection closes before the answer, and
    // Drive's search does not show the file yet.
    emulator.lagSearchBehind(std::chrono::minutes(10));
    emulator.dropNextAnswers(uploadPath, 1, "PUT");
    const OpenOutcome outcome =
        awaitTask(service.open(writeFile(u"report.csv"_s, "a,b\n1,2\n"), preferences, QDateTime::currentDateTimeUtc()));

    QList<EmulatedDriveItem> files = emulator.files();
    files.removeIf([](const EmulatedDriveItem& item) { return item.isFolder(); });
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(outcome.record().googleDriveFileID, files.first().id);
    ASSERT_EQ(store.loadRecords().size(), 1);
    EXPECT_EQ(store.loadRecords().first().googleDriveFileID, files.first().id);
    const QList<RecordedRequest> puts = sessionRequests("PUT");
    ASSERT_EQ(puts.size(), 2) << "the file, then the question that found it made";
    EXPECT_EQ(puts[0].status, 0);
    EXPECT_EQ(puts[1].header("Content-Range"), "bytes */8");
    EXPECT_EQ(puts[1].status, 200);
    EXPECT_EQ(sessionRequests("POST").size(), 1);
    EXPECT_EQ(waits.size(), 1);
}

namespace {

constexpr qint64 block = 256 * 1024;

// A client that sends files in chunks of two blocks and notes every progress
// report; abort is its cancel.
class ResumableUploadTest : public GoogleDriveClientTest {
protected:
    AbortSignal abort;
    QList<UploadProgress> progress;
    std::function<void(const UploadProgress&)> onProgress;
    GoogleDriveClient resumable{tokens,
                                network,
                                GoogleFileURLResolver(endpoints),
                                endpoints,
                                folderStore(),
                                quickRetries(&waits),
                                abort,
                                [this](const UploadProgress& report) {
                                    progress.append(report);
                                    if (onProgress)
                                        onProgress(report);
                                },
                                UploadTuning{.chunkSize = 2 * block}};
    // Five blocks and a bit: chunks of two, two and a bit.
    QByteArray content = csvOf(5 * block + 100);

    GoogleDriveClient& uploader() override { return resumable; }

    static QByteArray csvOf(qint64 size)
    {
        QByteArray text;
        for (int row = 0; text.size() < size; ++row)
            text += QByteArray::number(row) + ",cell\n";
        return text.left(size);
    }

    QList<QByteArray> contentRanges() const
    {
        QList<QByteArray> ranges;
        for (const RecordedRequest& put : sessionRequests("PUT"))
            ranges.append(put.header("Content-Range").value_or("none"));
        return ranges;
    }

    void expectStoredWhole(const DriveUploadResult& result) const
    {
        const std::optional<EmulatedDriveItem> stored = emulator.findFile(result.fileID);
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->size, content.size());
        EXPECT_EQ(stored->sha256, Sha256::hexDigest(content));
    }
};

} // namespace

TEST_F(GoogleDriveClientTest, AFileOverFiveMiBGoesWholeInOneChunkOfTheDefaultSize)
{
    const QByteArray content = QByteArray(5'242'880, 'a') + 'b';
    const DriveUploadResult result = upload(requestFor(writeFile(u"over limit.csv"_s, content), OpenMode::googleFormat));
    const QList<RecordedRequest> puts = sessionRequests("PUT");
    ASSERT_EQ(puts.size(), 1);
    EXPECT_EQ(puts.first().header("Content-Range"), "bytes 0-5242880/5242881");
    EXPECT_EQ(puts.first().bodySize, 5'242'881);
    EXPECT_EQ(emulator.findFile(result.fileID)->sha256, Sha256::hexDigest(content));
}

TEST_F(ResumableUploadTest, ChunksAreWholeBlocksWithExactRangesAndProgressRisesToTheFileSize)
{
    expectStoredWhole(upload(requestFor(writeFile(u"big.csv"_s, content), OpenMode::googleFormat)));
    EXPECT_EQ(contentRanges(), (QList<QByteArray>{"bytes 0-524287/1310820", "bytes 524288-1048575/1310820",
                                                  "bytes 1048576-1310819/1310820"}));
    const QList<RecordedRequest> chunks = sessionRequests("PUT");
    ASSERT_EQ(chunks.size(), 3);
    EXPECT_EQ(chunks[0].body, content.left(2 * block));
    EXPECT_EQ(chunks[1].body, content.mid(2 * block, 2 * block));
    EXPECT_EQ(chunks[2].body, content.mid(4 * block));
    const EmulatedUploadSession session = emulator.uploadSessions().first();
    EXPECT_EQ(session.receivedBytes, content.size()) << "no byte sent twice";
    EXPECT_EQ(session.state, u"complete"_s);

    ASSERT_GE(progress.size(), 2);
    EXPECT_EQ(progress.first(), (UploadProgress{0, content.size()}));
    EXPECT_EQ(progress.last(), (UploadProgress{content.size(), content.size()}));
    for (qsizetype index = 1; index < progress.size(); ++index)
        EXPECT_GT(progress[index].bytesSent, progress[index - 1].bytesSent) << index;
}

TEST_F(ResumableUploadTest, AChunkCutOffOnTheWayResumesFromWhatTheSessionKeptAndResendsLessThanAChunk)
{
    // The second chunk loses its connection after one block and a bit; the
    // session keeps the whole block.
    emulator.dropAfterBodyBytes(uploadPath, block + 5000, "PUT", 1);
    expectStoredWhole(upload(requestFor(writeFile(u"big.csv"_s, content), OpenMode::googleFormat)));
    EXPECT_EQ(contentRanges(), (QList<QByteArray>{"bytes 0-524287/1310820", "bytes 524288-1048575/1310820",
                                                  "bytes */1310820", "bytes 786432-1310719/1310820",
                                                  "bytes 1310720-1310819/1310820"}));
    EXPECT_EQ(sessionRequests("PUT")[2].bodySize, 0) << "the status question has no body";
    ASSERT_EQ(waits.size(), 1);
    const EmulatedUploadSession session = emulator.uploadSessions().first();
    EXPECT_EQ(emulator.uploadSessions().size(), 1);
    EXPECT_EQ(session.receivedBytes - content.size(), 5000) << "bytes sent twice";
    EXPECT_EQ(progress.last().bytesSent, content.size());
}

TEST_F(ResumableUploadTest, PassingRefusalsOfAChunkAskHowFarItGotAndGoOn)
{
    for (const int status : {503, 429, 500}) {
        emulator.reset();
        tokens.token = emulator.accessToken();
        waits.clear();
        emulator.injectFault({{u"path"_s, uploadPath}, {u"method"_s, u"PUT"_s}, {u"skip"_s, 1}, {u"status"_s, status}});
        expectStoredWhole(upload(requestFor(writeFile(u"big.csv"_s, content), OpenMode::googleFormat)));
        EXPECT_EQ(contentRanges(), (QList<QByteArray>{"bytes 0-524287/1310820", "bytes 524288-1048575/1310820",
                                                      "bytes */1310820", "bytes 524288-1048575/1310820",
                                                      "bytes 1048576-1310819/1310820"}))
            << status;
        EXPECT_EQ(waits.size(), 1) << status;
        EXPECT_EQ(emulator.uploadSessions().size(), 1) << status;
    }

    // Refused every time: the retries' end, with Google's message.
    emulator.reset();
    tokens.token = emulator.accessToken();
    emulator.injectFault({{u"path"_s, uploadPath}, {u"method"_s, u"PUT"_s}, {u"count"_s, 5}, {u"status"_s, 503}});
    const UrlError error = uploadFailure<UrlError>(requestFor(writeFile(u"big.csv"_s, content), OpenMode::googleFormat));
    EXPECT_EQ(error.localizedDescription(), u"Google Drive answered with an unexpected response: Backend Error"_s);
    EXPECT_EQ(sessionRequests("PUT").size(), 5);
    EXPECT_EQ(emulator.uploadSessions().last().state, u"cancelled"_s) << "the session given up is ended";
}

TEST_F(ResumableUploadTest, ASessionThatIsGoneStartsOverOnceInANewSessionAndASecondTimeIsTheError)
{
    emulator.injectFault({{u"path"_s, uploadPath}, {u"method"_s, u"PUT"_s}, {u"skip"_s, 1}, {u"status"_s, 404}});
    expectStoredWhole(upload(requestFor(writeFile(u"big.csv"_s, content), OpenMode::googleFormat)));
    EXPECT_EQ(sessionRequests("POST").size(), 2) << "a second initiation";
    EXPECT_EQ(contentRanges(), (QList<QByteArray>{"bytes 0-524287/1310820", "bytes 524288-1048575/1310820",
                                                  "bytes 0-524287/1310820", "bytes 524288-1048575/1310820",
                                                  "bytes 1048576-1310819/1310820"}))
        << "the new session from the start";
    const QList<EmulatedUploadSession> sessions = emulator.uploadSessions();
    ASSERT_EQ(sessions.size(), 2);
    EXPECT_EQ(sessions[1].state, u"complete"_s);
    EXPECT_TRUE(waits.isEmpty());

    emulator.injectFault({{u"path"_s, uploadPath}, {u"method"_s, u"PUT"_s}, {u"count"_s, 2}, {u"status"_s, 410}});
    EXPECT_EQ(uploadFailure<UrlError>(requestFor(writeFile(u"big.csv"_s, content), OpenMode::googleFormat)).statusCode(),
              410);
    EXPECT_EQ(emulator.uploadSessions().size(), 4) << "one new session, not more";
}

TEST_F(ResumableUploadTest, ASessionRefusedAsExpiredStartsOverOnceAndAQuotaRefusalEndsAtOnceWithGooglesMessage)
{
    for (const int status : {400, 412}) {
        emulator.reset();
        tokens.token = emulator.accessToken();
        emulator.injectFault({{u"path"_s, uploadPath}, {u"method"_s, u"PUT"_s}, {u"skip"_s, 1}, {u"status"_s, status}});
        expectStoredWhole(upload(requestFor(writeFile(u"big.csv"_s, content), OpenMode::googleFormat)));
        EXPECT_EQ(sessionRequests("POST").size(), 2) << status << ": a second initiation";
        const QList<EmulatedUploadSession> sessions = emulator.uploadSessions();
        ASSERT_EQ(sessions.size(), 2) << status;
        EXPECT_EQ(sessions[1].state, u"complete"_s) << status;
        EXPECT_EQ(sessions[1].receivedBytes, content.size()) << status << ": the new session from the start";
    }

    emulator.reset();
    tokens.token = emulator.accessToken();
    waits.clear();
    emulator.injectFault({{u"path"_s, uploadPath},
                          {u"method"_s, u"PUT"_s},
                          {u"skip"_s, 1},
                          {u"status"_s, 403},
                          {u"reason"_s, u"storageQuotaExceeded"_s},
                          {u"message"_s, u"The user's Drive storage quota has been exceeded."_s}});
    const UrlError error = uploadFailure<UrlError>(requestFor(writeFile(u"big.csv"_s, content), OpenMode::googleFormat));
    EXPECT_EQ(error.localizedDescription(),
              u"Google Drive answered with an unexpected response: The user's Drive storage quota has been exceeded."_s);
    EXPECT_EQ(sessionRequests("POST").size(), 1) << "no new session";
    EXPECT_EQ(sessionRequests("PUT").size(), 2) << "nothing tried again";
    EXPECT_TRUE(waits.isEmpty());
    EXPECT_EQ(emulator.uploadSessions().first().state, u"cancelled"_s);
}

TEST_F(ResumableUploadTest, ASessionThatNeverFinishesIsAskedFiveTimesWithTheBackoffThenCancelledWithAPlainError)
{
    emulator.makeUploadSessionsNeverFinish();
    const UrlError error = uploadFailure<UrlError>(requestFor(writeFile(u"big.csv"_s, content), OpenMode::googleFormat));
    EXPECT_EQ(error.localizedDescription(), u"Google Drive answered with an unexpected response: it received the whole "
                                            u"file but did not finish the upload"_s);
    EXPECT_EQ(contentRanges(), (QList<QByteArray>{"bytes 0-524287/1310820", "bytes 524288-1048575/1310820",
                                                  "bytes 1048576-1310819/1310820", "bytes */1310820", "bytes */1310820",
                                                  "bytes */1310820", "bytes */1310820", "bytes */1310820"}));
    ASSERT_EQ(waits.size(), 4) << "a wait before each question after the first";
    expectGooglesBackoff(waits);
    const QList<RecordedRequest> deletes = sessionRequests("DELETE");
    ASSERT_EQ(deletes.size(), 1);
    EXPECT_EQ(deletes.first().status, 499);
    EXPECT_EQ(emulator.uploadSessions().first().state, u"cancelled"_s);
    EXPECT_EQ(emulator.files().size(), 2) << "the folders only";
}

TEST_F(ResumableUploadTest, AChunkThatGetsNoAnswerIsSentAgainOnlyFromWhereTheSessionSaysItGot)
{
    using namespace std::chrono_literals;
    GoogleDriveClient impatient{tokens,
                                network,
                                GoogleFileURLResolver(endpoints),
                                endpoints,
                                folderStore(),
                                quickRetries(&waits),
                                {},
                                {},
                                UploadTuning{.chunkSize = 2 * block, .idleTimeout = 1s}};
    // The second chunk is held, unanswered, past the time-out.
    emulator.injectFault({{u"path"_s, uploadPath}, {u"method"_s, u"PUT"_s}, {u"skip"_s, 1}, {u"stallMilliseconds"_s, 2500}});
    const DriveUploadResult result =
        awaitTask(impatient.uploadFile(requestFor(writeFile(u"big.csv"_s, content), OpenMode::googleFormat)));
    expectStoredWhole(result);
    const QList<QByteArray> ranges = contentRanges();
    ASSERT_GE(ranges.size(), 4);
    const qsizetype question = ranges.indexOf("bytes */1310820");
    ASSERT_GE(question, 0) << "the session was asked";
    EXPECT_EQ(ranges.count("bytes 524288-1048575/1310820"), 2) << "sent again once, after the question";
    EXPECT_EQ(ranges.lastIndexOf("bytes 524288-1048575/1310820") > question, true);
    ASSERT_EQ(waits.size(), 1);
}

TEST_F(ResumableUploadTest, AnUnauthorisedChunkReplacesTheTokenAndTheSameSessionGoesOn)
{
    const QString refused = tokens.token;
    tokens.replacement = emulator.accessToken();
    emulator.injectFault({{u"path"_s, uploadPath}, {u"method"_s, u"PUT"_s}, {u"skip"_s, 1}, {u"status"_s, 401}});
    expectStoredWhole(upload(requestFor(writeFile(u"big.csv"_s, content), OpenMode::googleFormat)));
    EXPECT_EQ(tokens.rejectedTokens, QStringList{refused});
    EXPECT_EQ(emulator.uploadSessions().size(), 1);
    const QList<RecordedRequest> puts = sessionRequests("PUT");
    ASSERT_EQ(puts.size(), 5);
    EXPECT_EQ(puts[2].header("Content-Range"), "bytes */1310820");
    for (qsizetype index = 2; index < puts.size(); ++index)
        EXPECT_EQ(puts[index].header("Authorization"), "Bearer " + tokens.replacement->toUtf8()) << index;

    // The token runs out for real while the second chunk is on its way.
    emulator.reset();
    tokens.token = emulator.accessToken();
    tokens.rejectedTokens.clear();
    emulator.injectFault({{u"path"_s, uploadPath}, {u"method"_s, u"PUT"_s}, {u"skip"_s, 1}, {u"stallMilliseconds"_s, 600}});
    onProgress = [this](const UploadProgress& report) {
        if (report.bytesSent == 0 || report.bytesSent == report.totalBytes)
            return;
        onProgress = {};
        emulator.expireAllTokens();
        tokens.replacement = emulator.accessToken();
    };
    expectStoredWhole(upload(requestFor(writeFile(u"big.csv"_s, content), OpenMode::googleFormat)));
    EXPECT_EQ(tokens.rejectedTokens.size(), 1);
    EXPECT_EQ(emulator.uploadSessions().size(), 1) << "the same session went on";
    EXPECT_EQ(sessionRequests("PUT")[1].status, 401);
}

TEST_F(ResumableUploadTest, ACancelEndsTheUploadAtOnceEndsItsSessionAndKeepsNothing)
{
    // The second chunk hangs; the cancel comes once bytes have gone.
    emulator.injectFault({{u"path"_s, uploadPath}, {u"method"_s, u"PUT"_s}, {u"skip"_s, 1}, {u"stallMilliseconds"_s, 20'000}});
    onProgress = [this](const UploadProgress& report) {
        if (report.bytesSent > 0)
            abort.abort();
    };
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(uploadFailure<UrlError>(requestFor(writeFile(u"big.csv"_s, content), OpenMode::googleFormat)).code(),
              UrlError::Code::cancelled);
    EXPECT_LT(elapsed.elapsed(), 10'000) << "ended by the cancel, not by the stalled chunk";
    const QList<RecordedRequest> deletes = sessionRequests("DELETE");
    ASSERT_EQ(deletes.size(), 1);
    EXPECT_EQ(deletes.first().queryValue(u"upload_id"_s), emulator.uploadSessions().first().uploadId);
    EXPECT_EQ(deletes.first().status, 499);
    EXPECT_EQ(emulator.uploadSessions().first().state, u"cancelled"_s);
    EXPECT_EQ(emulator.files().size(), 2) << "the folders only";
}

TEST_F(ResumableUploadTest, AFileThatChangesBetweenChunksIsNeverCompleted)
{
    const QUrl url = writeFile(u"big.csv"_s, content);
    const DriveUploadRequest request = requestFor(url, OpenMode::googleFormat);
    // The second chunk waits a moment, long enough for a progress report.
    emulator.injectFault({{u"path"_s, uploadPath}, {u"method"_s, u"PUT"_s}, {u"skip"_s, 1}, {u"stallMilliseconds"_s, 600}});
    onProgress = [&](const UploadProgress& report) {
        if (report.bytesSent == 0 || report.bytesSent == report.totalBytes)
            return;
        QFile file(url.toLocalFile());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.write("changed");
        onProgress = {};
    };
    const FileError error = uploadFailure<FileError>(request);
    EXPECT_TRUE(error.localizedDescription().contains(u"changed while it was being uploaded"_s))
        << error.localizedDescription().toStdString();
    EXPECT_EQ(emulator.uploadSessions().first().state, u"cancelled"_s);
    EXPECT_EQ(emulator.files().size(), 2) << "the folders only";
}
