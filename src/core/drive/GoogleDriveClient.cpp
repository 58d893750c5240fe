#include "drive/GoogleDriveClient.h"

#include "drive/DriveAnswer.h"
#include "drive/ResumableUpload.h"
#include "net/NetworkRoute.h"
#include "routing/OrvaneError.h"
#include "state/Sha256.h"
#include "support/DecodingError.h"
#include "support/FileError.h"
#include "support/JsonDecoding.h"
#include "support/UrlError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

// A GET for the retried exchanges: each try carries the token it was given.
auto authorizedGet(QNetworkAccessManager& manager, const QUrl& url, const AbortSignal& abort)
{
    return [&manager, &url, &abort](QString token) {
        return sendRequest(manager, authorizedRequest(url, token), "GET", {}, abort);
    };
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

// Still what Orvane made it: a folder of that name, not in the bin.
bool isUsableFolder(const DriveFile& file, const QString& name)
{
    return file.mimeType == folderMimeType && file.name == name && file.trashed == false;
}

QByteArray compactJson(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

GoogleDriveClient::GoogleDriveClient(AccessTokenProviding& tokenProvider, QNetworkAccessManager& networkAccessManager,
                                     GoogleFileURLResolver urlResolver, GoogleServiceEndpoints endpoints,
                                     DriveFolderStore folderStore, RetryPolicy retryPolicy, AbortSignal abort, UploadProgressHandler progress,
                                     UploadTuning tuning, SharedImportLimits importLimits)
    : tokenProvider_(tokenProvider),
      networkAccessManager_(networkAccessManager),
      urlResolver_(std::move(urlResolver)),
      endpoints_(std::move(endpoints)),
      folderStore_(std::move(folderStore)),
      retryPolicy_(std::move(retryPolicy)),
      abort_(std::move(abort)),
      progress_(std::move(progress)),
      tuning_(tuning),
      importLimits_(std::move(importLimits))
{
}

QCoro::Task<DriveUploadResult> GoogleDriveClient::uploadFile(DriveUploadRequest request)
{
    DriveAuthorization authorization(tokenProvider_, co_await tokenProvider_.accessToken());
    if (conversionTarget(request))
        co_await requireConvertible(authorization, request);
    QString destinationFolderID;
    {
        const std::unique_ptr<FileLock> folderLock = co_await lockFolders();
        const QString rootFolderID = co_await ensureFolder(authorization, request.rootFolderName, u"root"_s);
        destinationFolderID = co_await ensureFolder(authorization, request.destinationFolderName, rootFolderID);
    }
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

QCoro::Task<HttpResponse> GoogleDriveClient::finalAnswer(DriveAuthorization& authorization, Send send,
                                                         RetryBudget& budget)
{
    co_return co_await retrying<HttpResponse>(
        budget, [&] { return sendAuthorized(authorization, send); }, passingFailureOfDriveAnswer);
}

QCoro::Task<HttpResponse> GoogleDriveClient::exchange(DriveAuthorization& authorization, Send send, RetryBudget& budget)
{
    const HttpResponse response = co_await finalAnswer(authorization, std::move(send), budget);
    if (response.isHttpFailure())
        throw driveAnswerError(response);
    co_return response;
}

QCoro::Task<> GoogleDriveClient::requireConvertible(DriveAuthorization& authorization,
                                                   const DriveUploadRequest& request)
{
    if (!*importLimits_) {
        QUrl url = endpoints_.driveAboutEndpoint;
        url.setQuery(u"fields=importFormats,maxImportSizes"_s);
        RetryBudget budget(retryPolicy_, abort_);
        try {
            const HttpResponse response = co_await exchange(
                authorization,
                authorizedGet(networkAccessManager_, url, abort_),
                budget);
            *importLimits_ = decodedAnswer<DriveImportLimits>(response);
        } catch (const UrlError& error) {
            // about only foretells what the upload would be told. When Drive
            // answers but will not say, the upload goes and Drive judges the
            // conversion itself; no answer at all, or a refused token, would
            // fail the upload the same way, so it ends the open here.
            if (!error.statusCode() || *error.statusCode() == 401)
                throw;
            co_return;
        } catch (const DecodingError&) {
            co_return;
        }
    }
    (*importLimits_)->requireConvertible(request);
}

QCoro::Task<std::unique_ptr<FileLock>> GoogleDriveClient::lockFolders()
{
    // Polled rather than waited for on the thread: the window stays live while
    // another Orvane finishes with its folders.
    constexpr std::chrono::milliseconds pollInterval{50};
    for (auto waited = std::chrono::milliseconds(0);; waited += pollInterval) {
        if (std::unique_ptr<FileLock> lock = folderStore_.tryLock())
            co_return lock;
        if (waited >= folderLockTimeout)
            throw FileError(FileError::Kind::writeFailed, folderStore_.filePath(),
                            u"another Orvane kept its Drive folders locked"_s);
        co_await waitUnlessAborted(pollInterval, abort_);
    }
}

QCoro::Task<std::optional<DriveFile>> GoogleDriveClient::findFolder(DriveAuthorization& authorization, QString name,
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
            {u"q"_s, query}, {u"fields"_s, u"nextPageToken,files(id,name,parents)"_s}, {u"pageSize"_s, u"1"_s}};
        if (pageToken)
            items.append({u"pageToken"_s, *pageToken});
        const QUrl url = withQuery(endpoints_.driveFilesEndpoint, items);
        std::optional<HttpResponse> response;
        try {
            response = co_await exchange(
                authorization,
                authorizedGet(networkAccessManager_, url, abort_),
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
        if (!list.files.isEmpty() && list.files.first().id)
            co_return list.files.first();
        if (!list.nextPageToken)
            co_return std::nullopt;
        pageToken = list.nextPageToken;
    }
    throw UrlError(UrlError::Code::badServerResponse, 200,
                   u"the folder list did not end after %1 pages"_s.arg(maximumLookupPages));
}

QCoro::Task<QString> GoogleDriveClient::ensureFolder(DriveAuthorization& authorization, QString name, QString parentID)
{
    if (const std::optional<RememberedFolder> remembered = folderStore_.folder(name, parentID)) {
        // Asking for the ID also settles a creation whose answer never came:
        // Drive has the folder or never made it.
        const std::optional<DriveFile> folder = co_await fileByID(authorization, remembered->id);
        // Until its creation is answered, a folder made in My Drive has no
        // parent ID to compare with but "root", its alias.
        const bool inParent = folder
            && (remembered->parentOnDrive ? folder->parents.contains(*remembered->parentOnDrive)
                                          : parentID == u"root"_s || folder->parents.contains(parentID));
        if (inParent && isUsableFolder(*folder, name)) {
            if (!remembered->parentOnDrive)
                folderStore_.remember(name, parentID, {remembered->id, folder->parents.value(0, parentID)});
            co_return remembered->id;
        }
        folderStore_.forget(name, parentID);
    }
    RetryBudget lookupBudget(retryPolicy_, abort_);
    if (const std::optional<DriveFile> found = co_await findFolder(authorization, name, parentID, lookupBudget)) {
        folderStore_.remember(name, parentID, {*found->id, found->parents.value(0, parentID)});
        co_return *found->id;
    }
    co_return co_await createFolder(authorization, name, parentID, co_await generateID(authorization));
}

QCoro::Task<QString> GoogleDriveClient::createFolder(DriveAuthorization& authorization, QString name, QString parentID,
                                                     QString id)
{
    // Remembered before it is sent: whatever becomes of the answer, the next
    // upload asks for this ID rather than making another folder, and a try
    // sent again here is answered 409 once one went through.
    folderStore_.remember(name, parentID, {id, std::nullopt});
    QUrl url = endpoints_.driveFilesEndpoint;
    url.setQuery(u"fields=id,name,parents"_s);
    const QByteArray body = compactJson({
        {u"id"_s, id},
        {u"name"_s, name},
        {u"mimeType"_s, folderMimeType},
        {u"parents"_s, QJsonArray{parentID}},
    });
    RetryBudget budget(retryPolicy_, abort_);
    const HttpResponse response = co_await finalAnswer(
        authorization,
        [&](QString token) {
            QNetworkRequest request = authorizedRequest(url, token);
            request.setRawHeader("Content-Type", "application/json; charset=utf-8");
            return sendRequestOnce(networkAccessManager_, request, "POST", body, abort_);
        },
        budget);
    std::optional<DriveFile> folder;
    if (response.statusCode == 409) {
        folder = co_await fileByID(authorization, id);
        if (!folder || !isUsableFolder(*folder, name)) {
            folderStore_.forget(name, parentID);
            co_return co_await createFolder(authorization, name, parentID, co_await generateID(authorization));
        }
    } else {
        folder = decodedAnswer<DriveFile>(response);
    }
    if (!folder->id)
        throw OrvaneError::driveResponseMissingFileID();
    folderStore_.remember(name, parentID, {*folder->id, folder->parents.value(0, parentID)});
    co_return *folder->id;
}

QCoro::Task<std::optional<DriveFile>> GoogleDriveClient::fileByID(DriveAuthorization& authorization, QString id)
{
    QUrl url = endpoints_.driveFilesEndpoint;
    url.setPath(url.path() + u'/' + QString::fromLatin1(QUrl::toPercentEncoding(id)), QUrl::StrictMode);
    url.setQuery(u"fields=id,name,mimeType,parents,trashed"_s);
    RetryBudget budget(retryPolicy_, abort_);
    const HttpResponse response = co_await finalAnswer(
        authorization,
        authorizedGet(networkAccessManager_, url, abort_),
        budget);
    if (response.statusCode == 404)
        co_return std::nullopt;
    co_return decodedAnswer<DriveFile>(response);
}

QCoro::Task<QString> GoogleDriveClient::generateID(DriveAuthorization& authorization)
{
    QUrl url = endpoints_.driveFilesEndpoint;
    url.setPath(url.path() + u"/generateIds"_s);
    url.setQuery(u"count=1&space=drive&type=files"_s);
    RetryBudget budget(retryPolicy_, abort_);
    const HttpResponse response = co_await exchange(
        authorization,
        authorizedGet(networkAccessManager_, url, abort_),
        budget);
    const GeneratedIds generated = decodedAnswer<GeneratedIds>(response);
    if (generated.ids.isEmpty() || generated.ids.first().isEmpty())
        throw OrvaneError::driveResponseMissingFileID();
    co_return generated.ids.first();
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
    const HttpResponse response = co_await uploadResumable(authorization, request, metadata, file, connection, progress);
    progress.finish();
    co_return decodedAnswer<DriveFile>(response);
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
