#include "EmulatorTestHelpers.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace orvane::testsupport;
using namespace orvane::testsupport::emulator_tests;

namespace {

QByteArray sha256Hex(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

class DriveEndpoint : public ::testing::Test {
protected:
    HttpResult createFolder(const QString& name, const QString& parent, const QString& token = {})
    {
        const QByteArray body = QJsonDocument(QJsonObject{{u"name"_s, name}, {u"mimeType"_s, folderType},
                                                          {u"parents"_s, QJsonArray{parent}}}).toJson(QJsonDocument::Compact);
        return http.post(emulator.url(u"/drive/v3/files?fields=id,name"_s), body, "application/json; charset=utf-8"_ba,
                         bearer(token.isEmpty() ? accessToken : token));
    }

    QString folderId(const QString& name, const QString& parent)
    {
        const HttpResult created = createFolder(name, parent);
        EXPECT_EQ(created.status, 200) << created.body.toStdString();
        return created.json()[u"id"_s].toString();
    }

    HttpResult lookup(const QString& escapedName, const QString& parent, const QString& token = {})
    {
        return http.get(folderLookupUrl(emulator, escapedName, parent), bearer(token.isEmpty() ? accessToken : token));
    }

    HttpResult upload(const UploadBody& body, const QString& path = uploadPath)
    {
        return http.post(emulator.url(path), body.bytes(), body.contentType(), bearer(accessToken));
    }

    UploadBody csvUpload(const QString& parent, const QByteArray& media = "a,b\r\n1,2\r\n"_ba) const
    {
        const QJsonObject metadata{{u"name"_s, u"report.csv"_s},
                                   {u"mimeType"_s, spreadsheetType},
                                   {u"parents"_s, QJsonArray{parent}},
                                   {u"appProperties"_s, QJsonObject{{u"sourceApp"_s, u"orvane"_s}, {u"openMode"_s, u"googleFormat"_s}}}};
        return {.metadata = QJsonDocument(metadata).toJson(QJsonDocument::Compact), .mediaType = "text/csv"_ba, .media = media};
    }

    GoogleEmulatorProcess emulator{{.clientIds = {u"desktop-client"_s, u"other-client"_s}, .clientSecret = std::nullopt,
                                    .autoApprove = true, .tokenLifetime = std::nullopt}};
    LoopbackHttpClient http;
    QString accessToken = emulator.accessToken();
};

} // namespace

TEST_F(DriveEndpoint, RefusesRequestsWithoutAValidBearerToken)
{
    const HttpResult missing = http.get(emulator.url(u"/drive/v3/files"_s));
    EXPECT_EQ(missing.status, 401);
    EXPECT_EQ(missing.header("WWW-Authenticate"), R"(Bearer realm="https://accounts.google.com/")"_ba);
    EXPECT_EQ(missing.body,
              R"({"error":{"code":401,"errors":[{"domain":"global","location":"Authorization","locationType":"header","message":"Login Required.","reason":"required"}],)"
              R"("message":"Request is missing required authentication credential. Expected OAuth 2 access token, login cookie or other valid authentication credential. )"
              R"(See https://developers.google.com/identity/sign-in/web/devconsole-project.","status":"UNAUTHENTICATED"}})"_ba);

    const QByteArray invalidBody =
        R"({"error":{"code":401,"errors":[{"domain":"global","location":"Authorization","locationType":"header","message":"Invalid Credentials","reason":"authError"}],)"
        R"("message":"Request had invalid authentication credentials. Expected OAuth 2 access token, login cookie or other valid authentication credential. )"
        R"(See https://developers.google.com/identity/sign-in/web/devconsole-project.","status":"UNAUTHENTICATED"}})"_ba;
    const HttpResult unknown = http.get(emulator.url(u"/drive/v3/files"_s), bearer(u"ya29.unknown"_s));
    EXPECT_EQ(unknown.status, 401);
    EXPECT_EQ(unknown.body, invalidBody);
    EXPECT_EQ(http.get(emulator.url(u"/drive/v3/files"_s), {{"Authorization"_ba, "Basic "_ba + accessToken.toLatin1()}}).status, 401);

    emulator.expireAllTokens();
    const HttpResult expired = createFolder(u"Opened from Mac"_s, u"root"_s);
    EXPECT_EQ(expired.status, 401);
    EXPECT_EQ(expired.body, invalidBody);
    EXPECT_TRUE(emulator.files().isEmpty());
}

TEST_F(DriveEndpoint, CreatesAFolderAndFindsItWithOrvanesLookup)
{
    const HttpResult created = createFolder(u"Opened from Mac"_s, u"root"_s);
    ASSERT_EQ(created.status, 200);
    const QJsonObject folder = created.json();
    EXPECT_EQ(folder.keys(), (QStringList{u"id"_s, u"name"_s}));
    EXPECT_EQ(folder[u"name"_s].toString(), u"Opened from Mac"_s);
    EXPECT_EQ(folder[u"id"_s].toString().size(), 33);

    const HttpResult found = lookup(u"Opened from Mac"_s, u"root"_s);
    ASSERT_EQ(found.status, 200);
    EXPECT_EQ(found.json(), QJsonObject({{u"files"_s, QJsonArray{folder}}}));
    EXPECT_EQ(lookup(u"Opened from Mac"_s, emulator.rootFolderId()).json(), found.json()) << "root is My Drive's alias";
    EXPECT_EQ(lookup(u"Opened from mac"_s, u"root"_s).json(), QJsonObject({{u"files"_s, QJsonArray{}}}));

    const std::optional<EmulatedDriveItem> stored = emulator.findFile(folder[u"id"_s].toString());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->mimeType, folderType);
    EXPECT_EQ(stored->parents, QStringList{emulator.rootFolderId()});
    EXPECT_EQ(stored->clientId, u"desktop-client"_s);
}

TEST_F(DriveEndpoint, FindsNamesWithApostrophesAndBackslashesByTheirEscapes)
{
    const QString parent = folderId(u"Opened from Mac"_s, u"root"_s);
    const QString apostrophe = folderId(u"Bob's files"_s, parent);
    const QString backslashQuote = folderId(u"a\\'b"_s, parent);
    EXPECT_EQ(lookup(u"Bob\\'s files"_s, parent).json()[u"files"_s][0][u"id"_s].toString(), apostrophe);
    EXPECT_EQ(lookup(u"a\\\\\\'b"_s, parent).json()[u"files"_s][0][u"id"_s].toString(), backslashQuote);
}

TEST_F(DriveEndpoint, ShowsEachClientOnlyWhatItCreated)
{
    const QString mine = folderId(u"Opened from Mac"_s, u"root"_s);
    const QString otherToken = emulator.accessToken(u"other-client"_s);
    EXPECT_EQ(lookup(u"Opened from Mac"_s, u"root"_s, otherToken).json()[u"files"_s].toArray().size(), 0);
    EXPECT_EQ(createFolder(u"Sheets"_s, mine, otherToken).status, 404) << "another client's folder is no parent";
    const HttpResult theirs = createFolder(u"Opened from Mac"_s, u"root"_s, otherToken);
    ASSERT_EQ(theirs.status, 200);
    EXPECT_EQ(lookup(u"Opened from Mac"_s, u"root"_s).json()[u"files"_s][0][u"id"_s].toString(), mine);
    EXPECT_EQ(lookup(u"Opened from Mac"_s, u"root"_s, otherToken).json()[u"files"_s][0][u"id"_s], theirs.json()[u"id"_s]);
}

TEST_F(DriveEndpoint, HidesTrashedItemsFromLookupsThatSayTrashedFalse)
{
    const QString trashed = folderId(u"Opened from Mac"_s, u"root"_s);
    emulator.trash(trashed);
    EXPECT_EQ(lookup(u"Opened from Mac"_s, u"root"_s).json()[u"files"_s].toArray().size(), 0);
    const HttpResult everything = http.get(emulator.url(u"/drive/v3/files?fields=files(id,trashed)"_s), bearer(accessToken));
    EXPECT_EQ(everything.json(), QJsonObject({{u"files"_s, QJsonArray{QJsonObject{{u"id"_s, trashed}, {u"trashed"_s, true}}}}}));
}

TEST_F(DriveEndpoint, ListsInPagesWithDefaultFields)
{
    for (const QString& name : {u"a"_s, u"b"_s, u"c"_s})
        folderId(name, u"root"_s);
    const QJsonObject first = http.get(emulator.url(u"/drive/v3/files?pageSize=2"_s), bearer(accessToken)).json();
    EXPECT_EQ(first[u"kind"_s].toString(), u"drive#fileList"_s);
    EXPECT_EQ(first[u"incompleteSearch"_s], QJsonValue(false));
    ASSERT_EQ(first[u"files"_s].toArray().size(), 2);
    EXPECT_EQ(first[u"files"_s][0].toObject().keys(), (QStringList{u"id"_s, u"kind"_s, u"mimeType"_s, u"name"_s}));
    const QString token = first[u"nextPageToken"_s].toString();
    ASSERT_FALSE(token.isEmpty());
    const QJsonObject second = http.get(emulator.url(u"/drive/v3/files?pageSize=2&pageToken="_s + token), bearer(accessToken)).json();
    EXPECT_EQ(second[u"files"_s].toArray().size(), 1);
    EXPECT_EQ(second[u"files"_s][0][u"name"_s].toString(), u"c"_s);
    EXPECT_FALSE(second.contains(u"nextPageToken"_s));
}

TEST_F(DriveEndpoint, RefusesQueriesAndParametersItCannotTake)
{
    const auto refusal = [&](const QString& pathAndQuery) { return http.get(emulator.url(pathAndQuery), bearer(accessToken)); };
    const HttpResult query = refusal(u"/drive/v3/files?q=name%20contains%20'x'"_s);
    EXPECT_EQ(query.status, 400);
    EXPECT_EQ(query.body,
              R"({"error":{"code":400,"errors":[{"domain":"global","location":"q","locationType":"parameter","message":"Invalid Value","reason":"invalid"}],"message":"Invalid Value"}})"_ba);
    const HttpResult fields = refusal(u"/drive/v3/files?fields=files(id,owners)"_s);
    EXPECT_EQ(fields.status, 400);
    EXPECT_EQ(fields.json()[u"error"_s][u"message"_s].toString(), u"Invalid field selection owners"_s);
    const HttpResult pageSize = refusal(u"/drive/v3/files?pageSize=0"_s);
    EXPECT_EQ(pageSize.json()[u"error"_s][u"message"_s].toString(), u"Invalid value '0'. Values must be within the range: [1, 1000]"_s);
    EXPECT_EQ(refusal(u"/drive/v3/files?orderBy=name"_s).json()[u"error"_s][u"errors"_s][0][u"location"_s].toString(), u"orderBy"_s);
    EXPECT_EQ(refusal(u"/drive/v3/files?pageSize=1&pageSize=2"_s).status, 400);
    EXPECT_EQ(refusal(u"/drive/v3/files?pageToken=bm9wZQ"_s).status, 400);
}

TEST_F(DriveEndpoint, UploadsAndConvertsACsvFileWithItsAppProperties)
{
    const QString parent = folderId(u"CSV Imports"_s, u"root"_s);
    const UploadBody body = csvUpload(parent);
    const HttpResult uploaded = upload(body);
    ASSERT_EQ(uploaded.status, 200) << uploaded.body.toStdString();
    const QJsonObject file = uploaded.json();
    EXPECT_EQ(file.keys(), (QStringList{u"id"_s, u"mimeType"_s, u"name"_s, u"webViewLink"_s}));
    const QString id = file[u"id"_s].toString();
    EXPECT_EQ(id.size(), 44);
    EXPECT_EQ(file[u"name"_s].toString(), u"report.csv"_s);
    EXPECT_EQ(file[u"mimeType"_s].toString(), spreadsheetType);
    EXPECT_EQ(file[u"webViewLink"_s].toString(), emulator.rootUrl().toString() + u"/spreadsheets/d/"_s + id + u"/edit?usp=drivesdk"_s);

    const std::optional<EmulatedDriveItem> stored = emulator.findFile(id);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->mimeType, spreadsheetType);
    EXPECT_EQ(stored->sourceMimeType, u"text/csv"_s);
    EXPECT_EQ(stored->parents, QStringList{parent});
    EXPECT_EQ(stored->appProperties, (QMap<QString, QString>{{u"sourceApp"_s, u"orvane"_s}, {u"openMode"_s, u"googleFormat"_s}}));
    EXPECT_EQ(stored->size, body.media.size());
    EXPECT_EQ(stored->sha256.toLatin1(), sha256Hex(body.media));
}

TEST_F(DriveEndpoint, KeepsAnOfficeFileUnconvertedWithAFileViewLink)
{
    UploadBody body = csvUpload(u"root"_s, QByteArray(3 * 1024 * 1024, 'x'));
    body.metadata = R"({"name":"book.xlsx","mimeType":")"_ba + xlsxType.toLatin1() + R"(","parents":["root"]})"_ba;
    body.mediaType = xlsxType.toLatin1();
    const QJsonObject file = upload(body, u"/upload/drive/v3/files?uploadType=multipart&fields=id,webViewLink,mimeType,size,sha256Checksum"_s).json();
    const QString id = file[u"id"_s].toString();
    EXPECT_EQ(file[u"mimeType"_s].toString(), xlsxType);
    EXPECT_EQ(file[u"webViewLink"_s].toString(), emulator.rootUrl().toString() + u"/file/d/"_s + id + u"/view?usp=drivesdk"_s);
    EXPECT_EQ(file[u"size"_s].toString(), u"3145728"_s);
    EXPECT_EQ(file[u"sha256Checksum"_s].toString().toLatin1(), sha256Hex(body.media));
    EXPECT_FALSE(emulator.findFile(id)->sourceMimeType);
}

TEST_F(DriveEndpoint, RefusesMalformedUploadsAndStoresNothing)
{
    const UploadBody good = csvUpload(u"root"_s);
    const auto message = [&](const QByteArray& bytes, const QByteArray& contentType, const QString& path = uploadPath) {
        const HttpResult result = http.post(emulator.url(path), bytes, contentType, bearer(accessToken));
        EXPECT_EQ(result.status, 400) << bytes.toStdString();
        return result.json()[u"error"_s][u"message"_s].toString();
    };
    EXPECT_EQ(message(good.bytes().chopped(4), good.contentType()),
              u"Malformed multipart body: the body ended before the closing boundary delimiter."_s);
    EXPECT_EQ(message(good.bytes(), "multipart/related; boundary=Other"_ba), u"Malformed multipart body: no boundary delimiter in the body."_s);
    EXPECT_EQ(message(good.bytes(), "multipart/mixed; boundary="_ba + good.boundary),
              u"Unsupported content with type: multipart/mixed; boundary="_s + QString::fromLatin1(good.boundary));
    UploadBody noMediaType = good;
    noMediaType.mediaType = "no type"_ba;
    EXPECT_EQ(message(noMediaType.bytes(), good.contentType()), u"Malformed multipart body: the media part has no valid Content-Type."_s);
    QByteArray textMetadata = good.bytes();
    textMetadata.replace("application/json; charset=UTF-8", "text/plain");
    EXPECT_EQ(message(textMetadata, good.contentType()),
              u"Malformed multipart body: the first part must be the JSON metadata, with Content-Type application/json."_s);
    UploadBody notJson = good;
    notJson.metadata = "{name:"_ba;
    EXPECT_EQ(message(notJson.bytes(), good.contentType()), u"Parse Error"_s);
    UploadBody unknownMember = good;
    unknownMember.metadata = R"({"name":"a.csv","appProperty":{}})"_ba;
    EXPECT_EQ(message(unknownMember.bytes(), good.contentType()), u"Invalid JSON payload received. Unknown name \"appProperty\": Cannot find field."_s);
    UploadBody wrongConversion = good;
    wrongConversion.metadata.replace("spreadsheet", "presentation");
    EXPECT_EQ(message(wrongConversion.bytes(), good.contentType()),
              u"Content of type text/csv cannot be converted to application/vnd.google-apps.presentation."_s);
    EXPECT_EQ(message(good.bytes(), good.contentType(), u"/upload/drive/v3/files?uploadType=media"_s),
              u"Invalid value 'media' for uploadType. The emulator takes multipart and resumable uploads."_s);
    EXPECT_EQ(message(good.bytes(), good.contentType(), u"/upload/drive/v3/files?uploadType=resumable"_s),
              u"Unsupported content with type: "_s + QString::fromLatin1(good.contentType()))
        << "a resumable upload opens with the metadata alone";
    EXPECT_TRUE(emulator.files().isEmpty());
}

TEST_F(DriveEndpoint, RefusesAParentThatIsMissingOrNotAFolder)
{
    const HttpResult missing = upload(csvUpload(u"1missingFolder"_s));
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.json()[u"error"_s][u"message"_s].toString(), u"File not found: 1missingFolder."_s);
    const QString file = upload(csvUpload(u"root"_s)).json()[u"id"_s].toString();
    EXPECT_EQ(upload(csvUpload(file)).status, 400);
}

TEST_F(DriveEndpoint, DecodesAPlusInTheQueryAsABlankAsGoogleDoes)
{
    folderId(u"C++ notes"_s, u"root"_s);
    const HttpResult plus = http.get(emulator.url(u"/drive/v3/files?q=name%3D'C++%20notes'"_s), bearer(accessToken));
    EXPECT_EQ(plus.json()[u"files"_s].toArray().size(), 0) << "a literal + reads as a blank";
    const HttpResult encoded = http.get(emulator.url(u"/drive/v3/files?q=name%3D'C%2B%2B%20notes'"_s), bearer(accessToken));
    EXPECT_EQ(encoded.json()[u"files"_s].toArray().size(), 1);
}

TEST_F(DriveEndpoint, AnswersPartialAndEmptyPagesWithATokenOnlyWhenFieldsAskForIt)
{
    const QString folder = folderId(u"Opened from Mac"_s, u"root"_s);
    emulator.answerNextListsInPagesOf({0, 0, 0});
    const HttpResult withoutToken = lookup(u"Opened from Mac"_s, u"root"_s);
    EXPECT_EQ(withoutToken.body, R"({"files":[]})"_ba) << "fields=files(id,name) cannot see that pages remain";

    const auto lookupPage = [&](const QString& pageToken) {
        QString query = QString::fromLatin1(formEncoded({{u"q"_s, folderLookup(u"Opened from Mac"_s, u"root"_s)},
                                                         {u"fields"_s, u"nextPageToken,files(id,name)"_s},
                                                         {u"pageSize"_s, u"1"_s}}));
        if (!pageToken.isEmpty())
            query += u"&pageToken="_s + pageToken;
        return http.get(emulator.url(u"/drive/v3/files?"_s + query), bearer(accessToken)).json();
    };
    const QJsonObject empty = lookupPage({});
    EXPECT_TRUE(empty[u"files"_s].toArray().isEmpty());
    const QString token = empty[u"nextPageToken"_s].toString();
    ASSERT_FALSE(token.isEmpty()) << "an empty page before the end says that more follow";
    const QJsonObject stillEmpty = lookupPage(token);
    EXPECT_TRUE(stillEmpty[u"files"_s].toArray().isEmpty());
    const QJsonObject found = lookupPage(stillEmpty[u"nextPageToken"_s].toString());
    EXPECT_EQ(found, (QJsonObject{{u"files"_s, QJsonArray{QJsonObject{{u"id"_s, folder}, {u"name"_s, u"Opened from Mac"_s}}}}}))
        << "the last page carries no token";
}

TEST_F(DriveEndpoint, ConvertsAMacroEnabledWorkbookWhateverTheCaseOfItsMediaType)
{
    for (const QByteArray& mediaType : {"application/vnd.ms-excel.sheet.macroEnabled.12"_ba,
                                        "Application/VND.MS-EXCEL.SHEET.MACROENABLED.12"_ba}) {
        UploadBody body = csvUpload(u"root"_s, "PK macro workbook"_ba);
        body.mediaType = mediaType;
        const HttpResult uploaded = upload(body);
        ASSERT_EQ(uploaded.status, 200) << uploaded.body.toStdString();
        const std::optional<EmulatedDriveItem> stored = emulator.findFile(uploaded.json()[u"id"_s].toString());
        EXPECT_EQ(stored->mimeType, spreadsheetType);
        EXPECT_EQ(stored->sourceMimeType, u"application/vnd.ms-excel.sheet.macroenabled.12"_s);
    }
}

TEST(DriveConversionLimits, RefuseConversionsPastTheLimitAndKeepUnconvertedFilesOfAnySize)
{
    GoogleEmulatorProcess emulator({.maxDocumentImportBytes = 10, .maxPresentationImportBytes = 20, .maxSpreadsheetImportCells = 6});
    LoopbackHttpClient http;
    const QString token = emulator.accessToken();
    const auto upload = [&](const QString& googleType, const QByteArray& mediaType, const QByteArray& media) {
        const QString type = googleType.isEmpty() ? QString::fromLatin1(mediaType) : googleType;
        const UploadBody body{.metadata = R"({"name":"f","mimeType":")"_ba + type.toLatin1() + R"("})"_ba,
                              .mediaType = mediaType, .media = media};
        return http.post(emulator.url(uploadPath), body.bytes(), body.contentType(), bearer(token));
    };
    const QString document = u"application/vnd.google-apps.document"_s;
    const QString presentation = u"application/vnd.google-apps.presentation"_s;
    EXPECT_EQ(upload(document, "text/plain"_ba, QByteArray(10, 'a')).status, 200);
    const HttpResult largeDocument = upload(document, "text/plain"_ba, QByteArray(11, 'a'));
    EXPECT_EQ(largeDocument.status, 400);
    EXPECT_EQ(largeDocument.json()[u"error"_s][u"message"_s].toString(),
              u"The file is too large to be converted to a Google document (at most 10 bytes)."_s);
    EXPECT_EQ(upload(presentation, "application/vnd.ms-powerpoint"_ba, QByteArray(20, 'p')).status, 200);
    EXPECT_EQ(upload(presentation, "application/vnd.ms-powerpoint"_ba, QByteArray(21, 'p')).status, 400);

    // Three rows by two columns fill six cells, however the last line ends;
    // quoted delimiters and line breaks are inside one cell.
    EXPECT_EQ(upload(spreadsheetType, "text/csv"_ba, "a,\"b,\nc\"\n1,2\n3"_ba).status, 200);
    EXPECT_EQ(upload(spreadsheetType, "text/tab-separated-values"_ba, "a\tb\n1\t2\n3\t4\n"_ba).status, 200);
    const HttpResult wide = upload(spreadsheetType, "text/csv"_ba, "a,b\n1,2\n3,4,5\n"_ba);
    EXPECT_EQ(wide.status, 400) << "three rows as wide as the widest fill nine cells";
    EXPECT_EQ(wide.json()[u"error"_s][u"errors"_s][0][u"reason"_s].toString(), u"badRequest"_s);
    EXPECT_EQ(upload({}, "text/csv"_ba, "a,b\n1,2\n3,4,5\n"_ba).status, 200) << "a file kept as it is has no cell limit";
    EXPECT_EQ(upload({}, "text/plain"_ba, QByteArray(100, 'a')).status, 200);
    EXPECT_EQ(emulator.files().size(), 6);
}

TEST_F(DriveEndpoint, SearchLagsBehindWhileGetSeesANewItemAtOnce)
{
    emulator.lagSearchBehind(std::chrono::minutes(10));
    const QString folder = folderId(u"Opened from Mac"_s, u"root"_s);
    EXPECT_EQ(lookup(u"Opened from Mac"_s, u"root"_s).json(), QJsonObject({{u"files"_s, QJsonArray{}}}));
    const HttpResult got = http.get(emulator.url(u"/drive/v3/files/"_s + folder + u"?fields=id,name,parents,trashed,mimeType"_s),
                                    bearer(accessToken));
    ASSERT_EQ(got.status, 200) << got.body.toStdString();
    EXPECT_EQ(got.json(), (QJsonObject{{u"id"_s, folder},
                                       {u"name"_s, u"Opened from Mac"_s},
                                       {u"parents"_s, QJsonArray{emulator.rootFolderId()}},
                                       {u"trashed"_s, false},
                                       {u"mimeType"_s, folderType}}));
    EXPECT_EQ(http.get(emulator.url(u"/drive/v3/files/"_s + folder), bearer(accessToken)).json().keys(),
              (QStringList{u"id"_s, u"kind"_s, u"mimeType"_s, u"name"_s}));

    const HttpResult otherClient = http.get(emulator.url(u"/drive/v3/files/"_s + folder), bearer(emulator.accessToken(u"other-client"_s)));
    EXPECT_EQ(otherClient.status, 404) << "drive.file: another client's folder is not there";
    EXPECT_EQ(otherClient.json()[u"error"_s][u"message"_s].toString(), u"File not found: %1."_s.arg(folder));

    emulator.lagSearchBehind(std::chrono::milliseconds(0));
    EXPECT_EQ(lookup(u"Opened from Mac"_s, u"root"_s).json()[u"files"_s].toArray().size(), 1);
}

TEST_F(DriveEndpoint, CreatesWithAGeneratedIdOnceAndRefusesItForConversions)
{
    const HttpResult generated = http.get(emulator.url(u"/drive/v3/files/generateIds?count=3&space=drive&type=files"_s), bearer(accessToken));
    ASSERT_EQ(generated.status, 200) << generated.body.toStdString();
    EXPECT_EQ(generated.json()[u"kind"_s].toString(), u"drive#generatedIds"_s);
    const QJsonArray ids = generated.json()[u"ids"_s].toArray();
    ASSERT_EQ(ids.size(), 3);
    EXPECT_EQ(http.get(emulator.url(u"/drive/v3/files/generateIds?count=1001"_s), bearer(accessToken)).status, 400);

    const auto createFolderWithId = [&](const QString& id) {
        const QByteArray body = QJsonDocument(QJsonObject{{u"id"_s, id}, {u"name"_s, u"Sheets"_s}, {u"mimeType"_s, folderType},
                                                          {u"parents"_s, QJsonArray{u"root"_s}}})
                                    .toJson(QJsonDocument::Compact);
        return http.post(emulator.url(u"/drive/v3/files?fields=id"_s), body, "application/json; charset=utf-8"_ba, bearer(accessToken));
    };
    const QString id = ids[0].toString();
    const HttpResult created = createFolderWithId(id);
    ASSERT_EQ(created.status, 200) << created.body.toStdString();
    EXPECT_EQ(created.json()[u"id"_s].toString(), id);
    const HttpResult again = createFolderWithId(id);
    EXPECT_EQ(again.status, 409) << "a creation sent twice makes one folder";
    EXPECT_EQ(createFolderWithId(u"1madeUpByTheClientItselfXXXXXXXXX"_s).status, 400) << "only generated IDs are usable";

    UploadBody converted = csvUpload(u"root"_s);
    QJsonObject metadata = QJsonDocument::fromJson(converted.metadata).object();
    metadata.insert(u"id"_s, ids[1].toString());
    converted.metadata = QJsonDocument(metadata).toJson(QJsonDocument::Compact);
    EXPECT_EQ(upload(converted).status, 400) << "Google takes no generated ID for a conversion";
    metadata.insert(u"mimeType"_s, u"text/csv"_s);
    converted.metadata = QJsonDocument(metadata).toJson(QJsonDocument::Compact);
    const HttpResult kept = upload(converted);
    EXPECT_EQ(kept.status, 200) << "nor for a file kept as it is: " << kept.body.toStdString();
    EXPECT_EQ(kept.json()[u"id"_s].toString(), ids[1].toString());
    EXPECT_EQ(emulator.files().size(), 2);
}

TEST_F(DriveEndpoint, FindsFilesByAnAppProperty)
{
    ASSERT_EQ(upload(csvUpload(u"root"_s)).status, 200);
    const auto search = [&](const QString& q) {
        return http.get(emulator.url(u"/drive/v3/files?"_s + QString::fromLatin1(formEncoded({{u"q"_s, q}, {u"fields"_s, u"files(name)"_s}}))),
                        bearer(accessToken));
    };
    EXPECT_EQ(search(u"appProperties has { key='sourceApp' and value='orvane' } and trashed=false"_s).body,
              R"({"files":[{"name":"report.csv"}]})"_ba);
    EXPECT_EQ(search(u"appProperties has { key='sourceApp' and value='other' }"_s).body, R"({"files":[]})"_ba);
}

TEST(DriveAbout, ListsImportFormatsAndTheConversionLimitsInBytes)
{
    GoogleEmulatorProcess emulator({.maxDocumentImportBytes = 10, .maxPresentationImportBytes = 20, .maxSpreadsheetImportBytes = 30});
    LoopbackHttpClient http;
    const QString token = emulator.accessToken();
    const HttpResult about = http.get(emulator.url(u"/drive/v3/about?fields=importFormats,maxImportSizes"_s), bearer(token));
    ASSERT_EQ(about.status, 200) << about.body.toStdString();
    EXPECT_EQ(about.json()[u"importFormats"_s][u"text/csv"_s].toArray(), QJsonArray{spreadsheetType});
    EXPECT_EQ(about.json()[u"maxImportSizes"_s].toObject(),
              (QJsonObject{{u"application/vnd.google-apps.document"_s, u"10"_s},
                           {u"application/vnd.google-apps.presentation"_s, u"20"_s},
                           {spreadsheetType, u"30"_s}}));
    EXPECT_EQ(http.get(emulator.url(u"/drive/v3/about"_s), bearer(token)).status, 400) << "Drive requires fields here";

    const UploadBody large{.metadata = R"({"name":"f.csv","mimeType":"application/vnd.google-apps.spreadsheet"})"_ba,
                           .mediaType = "text/csv"_ba, .media = QByteArray(31, 'a')};
    EXPECT_EQ(http.post(emulator.url(uploadPath), large.bytes(), large.contentType(), bearer(token)).status, 400)
        << "the limit about tells is the one uploads meet";
}
