#include "AwaitTask.h"
#include "support/DecodingError.h"
#include "support/FileError.h"
#include "drive/GoogleDriveClient.h"
#include "GoogleEmulatorProcess.h"
#include "state/JSONLocalStateStore.h"
#include "routing/OrvaneError.h"
#include "state/Sha256.h"
#include "support/UrlError.h"
#include "open/WorkspaceOpenService.h"

#include <QFile>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;
using orvane::testsupport::GoogleEmulatorProcess;
using orvane::testsupport::RecordedRequest;

namespace {

const QString filesPath = u"/drive/v3/files"_s;
const QString uploadPath = u"/upload/drive/v3/files"_s;

// A token the emulator issued, or a failure, counting how often it was asked.
class FixedTokenProvider final : public AccessTokenProviding {
public:
    QString token;
    bool fails = false;
    int requests = 0;

    QCoro::Task<QString> accessToken() override
    {
        ++requests;
        if (fails)
            throw OrvaneError::oauthTokenUnavailable();
        // A copy: QCoro moves from any non-const lvalue handed to co_return.
        co_return QString(token);
    }
};

class GoogleDriveClientTest : public ::testing::Test {
protected:
    GoogleEmulatorProcess emulator;
    QTemporaryDir folder;
    FixedTokenProvider tokens;
    QNetworkAccessManager network;
    GoogleServiceEndpoints endpoints = GoogleServiceEndpoints::google().withServiceRoot(emulator.rootUrl());
    GoogleDriveClient client{tokens, network, GoogleFileURLResolver(endpoints), endpoints};

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

    DriveUploadResult upload(const DriveUploadRequest& request) { return awaitTask(client.uploadFile(request)); }

    QList<RecordedRequest> folderCreations() const
    {
        QList<RecordedRequest> creations;
        for (const RecordedRequest& request : emulator.requests(filesPath)) {
            if (request.method == "POST")
                creations.append(request);
        }
        return creations;
    }

    QString folderId(const QString& name, const QString& parent) const
    {
        for (const auto& item : emulator.files()) {
            if (item.isFolder() && item.name == name && item.parents.contains(parent))
                return item.id;
        }
        return {};
    }

    // The exact body Orvane sends for this upload, given the boundary it chose.
    static QByteArray expectedBody(const QByteArray& boundary, const QByteArray& metadata, const QByteArray& mediaType,
                                   const QByteArray& content)
    {
        return "--" + boundary + "\r\nContent-Type: application/json; charset=UTF-8\r\n\r\n" + metadata + "\r\n--"
            + boundary + "\r\nContent-Type: " + mediaType + "\r\n\r\n" + content + "\r\n--" + boundary + "--\r\n";
    }

    static QByteArray boundaryOf(const RecordedRequest& request)
    {
        const QByteArray contentType = request.header("Content-Type").value_or(QByteArray());
        const QByteArray prefix = "multipart/related; boundary=";
        EXPECT_TRUE(contentType.startsWith(prefix)) << contentType.toStdString();
        return contentType.mid(prefix.size());
    }
};

} // namespace

TEST_F(GoogleDriveClientTest, ConvertsAnExcelFileInGoogleFormatWithTheExactBody)
{
    const QByteArray content("PK\x03\x04\x00\x01 sheet\r\n--not a boundary\r\n", 32);
    const QUrl url = writeFile(u"Budget.xlsx"_s, content);
    const DriveUploadRequest request = requestFor(url, OpenMode::googleFormat);
    const DriveUploadResult result = upload(request);

    const QString rootId = folderId(u"Opened from Mac"_s, emulator.rootFolderId());
    const QString sheetsId = folderId(u"Sheets"_s, rootId);
    ASSERT_FALSE(sheetsId.isEmpty());
    const QList<RecordedRequest> uploads = emulator.requests(uploadPath);
    ASSERT_EQ(uploads.size(), 1);
    const RecordedRequest& sent = uploads.first();
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.query, "uploadType=multipart&fields=id,name,webViewLink,mimeType");
    EXPECT_EQ(sent.header("Authorization"), "Bearer " + tokens.token.toUtf8());
    const QByteArray boundary = boundaryOf(sent);
    EXPECT_TRUE(QRegularExpression(u"^OrvaneBoundary-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"_s)
                    .match(QString::fromLatin1(boundary))
                    .hasMatch())
        << boundary.toStdString();
    const QByteArray metadata = R"({"appProperties":{"openMode":"googleFormat","sourceApp":"orvane",)"
                                R"("sourceContentHash":")"
        + Sha256::hexDigest(content).toLatin1() + R"(","sourcePathHash":")"
        + Sha256::hexDigest(url.toLocalFile().toUtf8()).toLatin1()
        + R"("},"mimeType":"application/vnd.google-apps.spreadsheet","name":"Budget.xlsx","parents":[")"
        + sheetsId.toLatin1() + R"("]})";
    EXPECT_EQ(sent.body, expectedBody(boundary, metadata,
                                      "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", content));

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

    const RecordedRequest sent = emulator.requests(uploadPath).first();
    const QByteArray xlsx = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
    EXPECT_TRUE(sent.body->contains(R"("mimeType":")" + xlsx + '"'));
    EXPECT_TRUE(sent.body->contains(R"("openMode":"officePreserved")"));
    EXPECT_TRUE(sent.body->contains("\r\nContent-Type: " + xlsx + "\r\n\r\nPK office\r\n"));
    EXPECT_EQ(emulator.findFile(result.fileID)->mimeType, QString::fromLatin1(xlsx));
    ASSERT_TRUE(result.webViewLink);
    EXPECT_EQ(result.openURL, *result.webViewLink);
    EXPECT_EQ(result.webViewLink, emulator.findFile(result.fileID)->webViewLink);
}

TEST_F(GoogleDriveClientTest, OfficeModeWithoutAWebViewLinkOpensTheDriveFilePage)
{
    emulator.injectFault({{u"path"_s, uploadPath}, {u"status"_s, 200},
                          {u"body"_s, uR"({"id":"file-1","name":"Budget.xlsx"})"_s},
                          {u"contentType"_s, u"application/json"_s}});
    const DriveUploadResult result = upload(requestFor(writeFile(u"Budget.xlsx"_s, "x"), OpenMode::officePreserved));
    EXPECT_EQ(result, (DriveUploadResult{u"file-1"_s, emulator.url(u"/file/d/file-1/view"_s), std::nullopt}));
}

TEST_F(GoogleDriveClientTest, SendsEmptyFilesUnusualNamesAndMissingHashesAsTheyAre)
{
    const QUrl empty = writeFile(u"empty.csv"_s, {});
    upload(requestFor(empty, OpenMode::googleFormat));
    const RecordedRequest emptyUpload = emulator.requests(uploadPath).last();
    EXPECT_TRUE(emptyUpload.body->endsWith("Content-Type: text/csv\r\n\r\n\r\n--" + boundaryOf(emptyUpload) + "--\r\n"));

    const QString name = u"Q3 売上 \"final\" レポート.docx"_s;
    DriveUploadRequest unhashed = requestFor(writeFile(name, "doc"), OpenMode::googleFormat);
    unhashed.snapshot.sha256.reset();
    const DriveUploadResult result = upload(unhashed);
    const RecordedRequest sent = emulator.requests(uploadPath).last();
    EXPECT_TRUE(sent.body->contains(R"("name":"Q3 売上 \"final\" レポート.docx")"));
    EXPECT_TRUE(sent.body->contains(R"("sourceContentHash":"")"));
    EXPECT_EQ(emulator.findFile(result.fileID)->name, name);
    EXPECT_EQ(emulator.findFile(result.fileID)->appProperties.value(u"sourceContentHash"_s), QString());
}

TEST_F(GoogleDriveClientTest, FindsItsFoldersAgainAndUsesANewBoundaryEachTime)
{
    const QUrl url = writeFile(u"data.csv"_s, "a,b\n");
    upload(requestFor(url, OpenMode::googleFormat));
    upload(requestFor(url, OpenMode::googleFormat));

    EXPECT_EQ(folderCreations().size(), 2);
    const QList<RecordedRequest> lookups = emulator.requests(filesPath);
    ASSERT_EQ(lookups.size(), 6); // two lookups and two creations, then two lookups
    const QList<RecordedRequest> uploads = emulator.requests(uploadPath);
    ASSERT_EQ(uploads.size(), 2);
    EXPECT_NE(boundaryOf(uploads[0]), boundaryOf(uploads[1]));
    QByteArray first = *uploads[0].body, second = *uploads[1].body;
    EXPECT_EQ(first.replace(boundaryOf(uploads[0]), "B"), second.replace(boundaryOf(uploads[1]), "B"));
}

TEST_F(GoogleDriveClientTest, LooksUpWithTheExactQueryAndCreatesWithTheExactBody)
{
    upload(requestFor(writeFile(u"deck.pptx"_s, "ppt"), OpenMode::googleFormat));
    const RecordedRequest lookup = emulator.requests(filesPath).first();
    EXPECT_EQ(lookup.method, "GET");
    EXPECT_EQ(lookup.queryValue(u"q"_s),
              u"mimeType='application/vnd.google-apps.folder' and name='Opened from Mac' and 'root' in parents and trashed=false"_s);
    EXPECT_EQ(lookup.queryValue(u"fields"_s), u"files(id,name)"_s);
    EXPECT_EQ(lookup.queryValue(u"pageSize"_s), u"1"_s);
    EXPECT_FALSE(lookup.header("Content-Type"));
    EXPECT_EQ(lookup.bodySize, 0);

    const RecordedRequest creation = folderCreations().first();
    EXPECT_EQ(creation.query, "fields=id,name");
    EXPECT_EQ(creation.header("Content-Type"), "application/json; charset=utf-8");
    EXPECT_EQ(creation.header("Authorization"), "Bearer " + tokens.token.toUtf8());
    EXPECT_EQ(creation.body, R"({"mimeType":"application/vnd.google-apps.folder","name":"Opened from Mac","parents":["root"]})");
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

TEST_F(GoogleDriveClientTest, RefusedLookupsStopBeforeAnyCreation)
{
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    for (int status : {401, 403, 404, 500}) {
        emulator.reset();
        tokens.token = emulator.accessToken();
        emulator.failNextRequests(filesPath, status);
        try {
            upload(requestFor(url, OpenMode::googleFormat));
            ADD_FAILURE() << status;
        } catch (const UrlError& error) {
            EXPECT_EQ(error.code(), UrlError::Code::badServerResponse);
            EXPECT_EQ(error.localizedDescription(), u"Google Drive answered with an unexpected response."_s);
        }
        EXPECT_EQ(emulator.requests(filesPath).size(), 1) << status;
        EXPECT_TRUE(emulator.requests(uploadPath).isEmpty());
    }
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
    emulator.injectFault(uploadFault);
    try {
        upload(requestFor(url, OpenMode::googleFormat));
        FAIL();
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error, OrvaneError::driveResponseMissingFileID());
    }
}

TEST_F(GoogleDriveClientTest, TransportAndTokenFailuresEndTheUpload)
{
    const QUrl url = writeFile(u"data.csv"_s, "a\n");
    emulator.dropNextRequests(uploadPath, 2);
    EXPECT_THROW(upload(requestFor(url, OpenMode::googleFormat)), UrlError);

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
        [&] { emulator.failNextRequests(filesPath, 500); },
        [&] { emulator.failNextRequests(uploadPath, 403); },
        [&] { emulator.dropNextRequests(uploadPath, 2); },
        [&] { emulator.injectFault({{u"path"_s, uploadPath}, {u"status"_s, 200}, {u"body"_s, u"{}"_s}}); },
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
