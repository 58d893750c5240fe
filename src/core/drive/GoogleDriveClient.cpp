#include "drive/GoogleDriveClient.h"

#include "drive/DriveAnswer.h"
#include "drive/ResumableUpload.h"
#include "net/NetworkRoute.h"
#include "routing/OrvaneError.h"
#include "state/Sha256.h"
#include "support/FileError.h"
#include "support/JsonDecoding.h"
#include "support/UrlError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace orvane {

namespace {

const QString folderMimeType = u"application/vnd.google-apps.folder"_s;

QNetworkRequest authorizedRequest(const QUrl& url, const QString& token)
{
    QNetworkRequest request = makeRequest(url);
    request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
    return request;
}

// Every 2xx answer is a success whose whole body must decode; anything else
// fails with what Google said.
template <typename Decoded>
Decoded decodedAnswer(const HttpResponse& response)
{
    if (response.isHttpFailure())
        throw driveAnswerError(response);
    return Decoded::fromJson(json::parse(response.body));
}

// The file the upload opened must be the one the open service fingerprinted,
// or the recorded hash would describe other content. Its date is read as the
// fingerprint reads it, so that both are alike however far off it is.
void requireUnchangedSinceSnapshot(const UploadFile& file, const DriveUploadRequest& request)
{
    const LocalFileSnapshot now = LocalFileSnapshot::inspect(request.localFileURL, false);
    if (file.size() != request.snapshot.fileSize || now.fileSize != request.snapshot.fileSize
        || now.modifiedAt != request.snapshot.modifiedAt)
        throw FileError(FileError::Kind::notReadable, file.path(),
                        u"it changed after Orvane looked at it, so nothing was uploaded; open it again once it is saved"_s);
}

// Drive's query language quotes names in apostrophes; backslashes are doubled
// first so the ones added for apostrophes are not doubled again.
QString escapedForQuery(QString name)
{
    return name.replace(u"\\"_s, u"\\\\"_s).replace(u"'"_s, u"\\'"_s);
}

// Percent-encodes every value completely, so that characters such as "+",
// "&" and "'" in a folder name reach the server as they are.
QUrl withQuery(QUrl url, const QList<std::pair<QString, QString>>& items)
{
    QStringList encoded;
    for (const auto& [name, value] : items)
        encoded.append(name + u'=' + QString::fromLatin1(QUrl::toPercentEncoding(value)));
    url.setQuery(encoded.join(u'&'), QUrl::StrictMode);
    return url;
}

QByteArray compactJson(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

GoogleDriveClient::GoogleDriveClient(AccessTokenProviding& tokenProvider, QNetworkAccessManager& networkAccessManager,
                                     GoogleFileURLResolver urlResolver, GoogleServiceEndpoints endpoints,
                                     RetryPolicy retryPolicy, AbortSignal abort, UploadProgressHandler progress,
                                     UploadTuning tuning)
    : tokenProvider_(tokenProvider),
      networkAccessManager_(networkAccessManager),
      urlResolver_(std::move(urlResolver)),
      endpoints_(std::move(endpoints)),
      retryPolicy_(std::move(retryPolicy)),
      abort_(std::move(abort)),
      progress_(std::move(progress)),
      tuning_(tuning)
{
}

QCoro::Task<DriveUploadResult> GoogleDriveClient::uploadFile(DriveUploadRequest request)
{
    DriveAuthorization authorization(tokenProvider_, co_await tokenProvider_.accessToken());
    const QString rootFolderID = co_await ensureFolder(authorization, request.rootFolderName, u"root"_s);
    const QString destinationFolderID =
        co_await ensureFolder(authorization, request.destinationFolderName, rootFolderID);
    const DriveFile file = co_await upload(authorization, request, destinationFolderID);
    if (!file.id)
        throw OrvaneError::driveResponseMissingFileID();

    std::optional<QUrl> webViewLink;
    if (file.webViewLink) {
        const QUrl link(*file.webViewLink, QUrl::StrictMode);
        if (link.isValid() && !link.isEmpty())
            webViewLink = link;
    }
    const QUrl openURL = urlResolver_.openURL(*file.id, request.route.editor, request.mode, webViewLink);
    co_return DriveUploadResult{*file.id, openURL, webViewLink};
}

QCoro::Task<HttpResponse> GoogleDriveClient::sendAuthorized(DriveAuthorization& authorization, const Send& send)
{
    HttpResponse response = co_await send(authorization.token());
    if (response.statusCode != 401 || !co_await authorization.replaceRefusedToken())
        co_return response;
    co_return co_await send(authorization.token());
}

QCoro::Task<HttpResponse> GoogleDriveClient::exchange(DriveAuthorization& authorization, Send send, RetryBudget& budget)
{
    const HttpResponse response = co_await retrying<HttpResponse>(
        budget, [&] { return sendAuthorized(authorization, send); }, passingFailureOfDriveAnswer);
    if (response.isHttpFailure())
        throw driveAnswerError(response);
    co_return response;
}

QCoro::Task<std::optional<QString>> GoogleDriveClient::findFolder(DriveAuthorization& authorization, QString name,
                                                                  QString parentID, RetryBudget& budget)
{
    const QString query = u"mimeType='"_s + folderMimeType + u"' and name='"_s + escapedForQuery(name)
        + u"' and '"_s + parentID + u"' in parents and trashed=false"_s;
    std::optional<QString> pageToken;
    bool restarted = false;
    // Drive may answer a short or empty page before the end of the list: the
    // folder may be on a later page, and none may be made while pages remain.
    for (int page = 0; page < maximumLookupPages; ++page) {
        QList<std::pair<QString, QString>> items{
            {u"q"_s, query}, {u"fields"_s, u"nextPageToken,files(id,name)"_s}, {u"pageSize"_s, u"1"_s}};
        if (pageToken)
            items.append({u"pageToken"_s, *pageToken});
        const QUrl url = withQuery(endpoints_.driveFilesEndpoint, items);
        std::optional<HttpResponse> response;
        try {
            response = co_await exchange(
                authorization,
                [&](QString token) {
                    return sendRequest(networkAccessManager_, authorizedRequest(url, token), "GET", {}, abort_);
                },
                budget);
        } catch (const UrlError& error) {
            // A page token Drive refuses (400) no longer leads anywhere; Google's
            // answer is to list again from the first page. Once: a second
            // refusal is a fault of its own.
            if (!pageToken || error.statusCode() != 400 || std::exchange(restarted, true))
                throw;
        }
        if (!response) {
            pageToken.reset();
            page = -1;
            continue;
        }
        const DriveFileList list = decodedAnswer<DriveFileList>(*response);
        if (!list.files.isEmpty())
            co_return list.files.first().id;
        if (!list.nextPageToken)
            co_return std::nullopt;
        pageToken = list.nextPageToken;
    }
    throw UrlError(UrlError::Code::badServerResponse, 200,
                   u"the folder list did not end after %1 pages"_s.arg(maximumLookupPages));
}

QCoro::Task<QString> GoogleDriveClient::ensureFolder(DriveAuthorization& authorization, QString name, QString parentID)
{
    QUrl url = endpoints_.driveFilesEndpoint;
    url.setQuery(u"fields=id,name"_s);
    const QByteArray body = compactJson({
        {u"name"_s, name},
        {u"mimeType"_s, folderMimeType},
        {u"parents"_s, QJsonArray{parentID}},
    });
    const Send create = [&](QString token) {
        QNetworkRequest request = authorizedRequest(url, token);
        request.setRawHeader("Content-Type", "application/json; charset=utf-8");
        return sendRequestOnce(networkAccessManager_, request, "POST", body, abort_);
    };

    // A creation that failed on the way may still have made the folder: every
    // new try looks again first, so that a folder is never made twice. The
    // lookups and the creation share one budget of tries.
    struct Attempt {
        std::optional<QString> existingID;
        HttpResponse creation;
    };
    RetryBudget budget(retryPolicy_, abort_);
    const Attempt outcome = co_await retrying<Attempt>(
        budget,
        [&]() -> QCoro::Task<Attempt> {
            if (std::optional<QString> existing = co_await findFolder(authorization, name, parentID, budget))
                co_return Attempt{existing, {}};
            co_return Attempt{std::nullopt, co_await sendAuthorized(authorization, create)};
        },
        [](const Attempt& attempt) {
            return attempt.existingID ? std::nullopt : passingFailureOfDriveAnswer(attempt.creation);
        });
    if (outcome.existingID)
        co_return *outcome.existingID;
    const DriveFile folder = decodedAnswer<DriveFile>(outcome.creation);
    if (!folder.id)
        throw OrvaneError::driveResponseMissingFileID();
    co_return *folder.id;
}

QCoro::Task<DriveFile> GoogleDriveClient::upload(DriveAuthorization& authorization, DriveUploadRequest request,
                                                 QString parentID)
{
    const QByteArray metadata = compactJson({
        {u"name"_s, request.localFileURL.fileName()},
        {u"mimeType"_s, request.route.uploadMetadataMimeType(request.mode)},
        {u"parents"_s, QJsonArray{parentID}},
        {u"appProperties"_s,
         QJsonObject{
             {u"sourceApp"_s, u"orvane"_s},
             {u"sourcePathHash"_s, Sha256::hexDigest(request.snapshot.path.toUtf8())},
             {u"sourceContentHash"_s, request.snapshot.sha256.value_or(QString())},
             {u"openMode"_s, rawValue(request.mode)},
         }},
    });
    // Opened once, before anything is sent: a file that is gone or changed
    // fails here, unsent; every byte sent afterwards comes from this file.
    const auto file = std::make_shared<const UploadFile>(request.localFileURL.toLocalFile());
    requireUnchangedSinceSnapshot(*file, request);
    StreamingConnection connection(NetworkRoute::to(endpoints_.driveUploadEndpoint, networkAccessManager_),
                                   tuning_.idleTimeout);
    UploadProgressReporter progress(progress_, file->size());
    const HttpResponse response = file->size() > tuning_.multipartLimit
        ? co_await uploadResumable(authorization, request, metadata, file, connection, progress)
        : co_await uploadInOneRequest(authorization, request, metadata, file, connection, progress);
    progress.finish();
    co_return decodedAnswer<DriveFile>(response);
}

QCoro::Task<HttpResponse> GoogleDriveClient::uploadInOneRequest(DriveAuthorization& authorization,
                                                                const DriveUploadRequest& request, QByteArray metadata,
                                                                std::shared_ptr<const UploadFile> file,
                                                                StreamingConnection& connection,
                                                                UploadProgressReporter& progress)
{
    const QByteArray boundary =
        "OrvaneBoundary-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toLatin1();
    QUrl url = endpoints_.driveUploadEndpoint;
    url.setQuery(u"uploadType=multipart&fields=id,name,webViewLink,mimeType"_s);
    const QByteArray head = "--" + boundary + "\r\nContent-Type: application/json; charset=UTF-8\r\n\r\n" + metadata
        + "\r\n--" + boundary + "\r\nContent-Type: " + request.route.sourceMimeType.toUtf8() + "\r\n\r\n";
    const QByteArray tail = "\r\n--" + boundary + "--\r\n";
    RetryBudget budget(retryPolicy_, abort_);
    co_return co_await exchange(
        authorization,
        [&](QString token) {
            const auto body = std::make_shared<FileFramedBody>(head, file, 0, file->size(), tail);
            progress.follow(body, 0);
            const HttpHeaders headers{
                {"Authorization", "Bearer " + token.toUtf8()},
                {"Content-Type", "multipart/related; boundary=" + boundary},
            };
            return connection.send("POST", url, headers, body, abort_);
        },
        budget);
}

QCoro::Task<HttpResponse> GoogleDriveClient::uploadResumable(DriveAuthorization& authorization,
                                                             const DriveUploadRequest& request, QByteArray metadata,
                                                             std::shared_ptr<const UploadFile> file,
                                                             StreamingConnection& connection,
                                                             UploadProgressReporter& progress)
{
    QUrl url = endpoints_.driveUploadEndpoint;
    url.setQuery(u"uploadType=resumable&fields=id,name,webViewLink,mimeType"_s);
    const auto openSession = [&]() -> QCoro::Task<QUrl> {
        RetryBudget budget(retryPolicy_, abort_);
        const HttpResponse opened = co_await exchange(
            authorization,
            [&](QString token) {
                QNetworkRequest initiation = authorizedRequest(url, token);
                initiation.setRawHeader("Content-Type", "application/json; charset=UTF-8");
                initiation.setRawHeader("X-Upload-Content-Type", request.route.sourceMimeType.toUtf8());
                initiation.setRawHeader("X-Upload-Content-Length", QByteArray::number(file->size()));
                return sendRequest(networkAccessManager_, initiation, "POST", metadata, abort_);
            },
            budget);
        const QUrl session = QUrl::fromEncoded(opened.header("Location").value_or(QByteArray()), QUrl::StrictMode);
        if (!session.isValid() || session.scheme() != url.scheme())
            throw UrlError(UrlError::Code::badServerResponse, *opened.statusCode,
                           u"it opened no upload session Orvane can use"_s);
        co_return session;
    };
    ResumableUpload upload(file, tuning_.chunkSize,
                           {.openSession = openSession,
                            .connection = connection,
                            .authorization = authorization,
                            .retryPolicy = retryPolicy_,
                            .abort = abort_,
                            .progress = progress});
    co_return co_await upload.run();
}

} // namespace orvane
