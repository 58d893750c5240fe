#include "drive/GoogleDriveClient.h"

#include "net/HttpExchange.h"
#include "support/JsonDecoding.h"
#include "routing/OrvaneError.h"
#include "state/Sha256.h"
#include "drive/StreamingUpload.h"
#include "support/UrlError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace orvane {

// A file or folder as Drive describes it; every member may be missing.
struct GoogleDriveClient::DriveFile {
    std::optional<QString> id;
    std::optional<QString> name;
    std::optional<QString> webViewLink;

    static DriveFile fromJson(const QJsonValue& value)
    {
        const QJsonObject object = json::requireObject(value);
        return {json::optionalString(object, "id"_L1), json::optionalString(object, "name"_L1),
                json::optionalString(object, "webViewLink"_L1)};
    }
};

namespace {

using DriveFile = GoogleDriveClient::DriveFile;

const QString folderMimeType = u"application/vnd.google-apps.folder"_s;

struct ListResponse {
    QList<DriveFile> files;

    static ListResponse fromJson(const QJsonValue& value)
    {
        return {json::decodeArray(json::requireArray(json::requireObject(value), "files"_L1), DriveFile::fromJson)};
    }
};

QNetworkRequest authorizedRequest(const QUrl& url, const QString& token)
{
    QNetworkRequest request = makeRequest(url);
    request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
    return request;
}

// Every 2xx answer is a success whose whole body must decode; anything else is
// a bad server response that carries nothing of what Google said.
template <typename Decoded>
Decoded decodedAnswer(const HttpResponse& response)
{
    if (response.isHttpFailure())
        throw UrlError(UrlError::Code::badServerResponse);
    return Decoded::fromJson(json::parse(response.body));
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
                                     GoogleFileURLResolver urlResolver, GoogleServiceEndpoints endpoints)
    : tokenProvider_(tokenProvider),
      networkAccessManager_(networkAccessManager),
      urlResolver_(std::move(urlResolver)),
      endpoints_(std::move(endpoints))
{
}

QCoro::Task<DriveUploadResult> GoogleDriveClient::uploadFile(DriveUploadRequest request)
{
    const QString token = co_await tokenProvider_.accessToken();
    const QString rootFolderID = co_await ensureFolder(request.rootFolderName, u"root"_s, token);
    const QString destinationFolderID = co_await ensureFolder(request.destinationFolderName, rootFolderID, token);
    const DriveFile file = co_await upload(request, destinationFolderID, token);
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

QCoro::Task<std::optional<QString>> GoogleDriveClient::findFolder(QString name, QString parentID, QString token)
{
    const QString query = u"mimeType='"_s + folderMimeType + u"' and name='"_s + escapedForQuery(name)
        + u"' and '"_s + parentID + u"' in parents and trashed=false"_s;
    const QUrl url = withQuery(endpoints_.driveFilesEndpoint,
                               {{u"q"_s, query}, {u"fields"_s, u"files(id,name)"_s}, {u"pageSize"_s, u"1"_s}});
    const HttpResponse response = co_await sendRequest(networkAccessManager_, authorizedRequest(url, token), "GET");
    const ListResponse list = decodedAnswer<ListResponse>(response);
    co_return list.files.isEmpty() ? std::nullopt : list.files.first().id;
}

QCoro::Task<QString> GoogleDriveClient::ensureFolder(QString name, QString parentID, QString token)
{
    if (std::optional<QString> existing = co_await findFolder(name, parentID, token))
        co_return *existing;

    QUrl url = endpoints_.driveFilesEndpoint;
    url.setQuery(u"fields=id,name"_s);
    QNetworkRequest request = authorizedRequest(url, token);
    request.setRawHeader("Content-Type", "application/json; charset=utf-8");
    const QByteArray body = compactJson({
        {u"name"_s, name},
        {u"mimeType"_s, folderMimeType},
        {u"parents"_s, QJsonArray{parentID}},
    });
    const HttpResponse response = co_await sendRequest(networkAccessManager_, request, "POST", body);
    const DriveFile folder = decodedAnswer<DriveFile>(response);
    if (!folder.id)
        throw OrvaneError::driveResponseMissingFileID();
    co_return *folder.id;
}

QCoro::Task<GoogleDriveClient::DriveFile> GoogleDriveClient::upload(DriveUploadRequest request, QString parentID,
                                                                    QString token)
{
    const QByteArray boundary =
        "OrvaneBoundary-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toLatin1();
    QUrl url = endpoints_.driveUploadEndpoint;
    url.setQuery(u"uploadType=multipart&fields=id,name,webViewLink,mimeType"_s);
    const HttpHeaders headers{
        {"Authorization", "Bearer " + token.toUtf8()},
        {"Content-Type", "multipart/related; boundary=" + boundary},
    };
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
    QByteArray head = "--" + boundary + "\r\nContent-Type: application/json; charset=UTF-8\r\n\r\n" + metadata
        + "\r\n--" + boundary + "\r\nContent-Type: " + request.route.sourceMimeType.toUtf8() + "\r\n\r\n";
    QByteArray tail = "\r\n--" + boundary + "--\r\n";

    // Opened before anything is sent: a file that is gone fails here, unsent.
    auto body = std::make_shared<FileFramedBody>(std::move(head), request.localFileURL.toLocalFile(), std::move(tail));
    const HttpResponse response = co_await postStreaming(url, headers, body);
    co_return decodedAnswer<DriveFile>(response);
}

} // namespace orvane
