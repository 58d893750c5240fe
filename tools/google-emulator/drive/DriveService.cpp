#include "DriveService.h"

#include "DriveQuery.h"
#include "DriveUpload.h"
#include "RequestChecks.h"
#include "GoogleErrors.h"
#include "state/Sha256.h"
#include "http/MediaType.h"

#include <QJsonArray>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;
using namespace drive_requests;

namespace {

constexpr int defaultPageSize = 100;
constexpr int maximumPageSize = 1000;

// Google types a file of a media type can be converted into, as Drive's
// importFormats lists them: in lower case, as MediaType hands every type over,
// since media types compare case-insensitively.
bool canConvert(const QString& mediaType, const QString& googleType)
{
    static const QHash<QString, QStringList> imports{
        {mime::spreadsheet,
         {u"text/csv"_s, u"text/tab-separated-values"_s, u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"_s,
          u"application/vnd.ms-excel"_s, u"application/vnd.ms-excel.sheet.macroenabled.12"_s,
          u"application/vnd.oasis.opendocument.spreadsheet"_s}},
        {mime::document,
         {u"application/vnd.openxmlformats-officedocument.wordprocessingml.document"_s, u"application/msword"_s, u"text/plain"_s,
          u"text/html"_s, u"application/rtf"_s, u"application/vnd.oasis.opendocument.text"_s}},
        {mime::presentation,
         {u"application/vnd.openxmlformats-officedocument.presentationml.presentation"_s, u"application/vnd.ms-powerpoint"_s,
          u"application/vnd.oasis.opendocument.presentation"_s}},
    };
    return imports.value(googleType).contains(mediaType);
}

[[noreturn]] void refuseTooLargeToConvert(const QString& what)
{
    // How Google refuses such a conversion is not documented; see README.md.
    throw RequestRefused(google::apiError(400, u"badRequest"_s, u"The file is too large to be converted to %1."_s.arg(what)));
}

} // namespace

DriveService::DriveService(DriveStore& store, const OAuthGrants& grants, const DriveResources& resources, ListPaging& paging,
                           const ConversionLimits& conversionLimits)
    : m_store(store), m_grants(grants), m_resources(resources), m_paging(paging), m_conversionLimits(conversionLimits)
{
}

HttpResponse DriveService::listFiles(const HttpRequestHead& head)
{
    const QString clientId = authorizedClient(head, m_grants);
    const FormFields query = checkedQuery(
        head.query, commonParameters + QStringList{u"q"_s, u"pageSize"_s, u"pageToken"_s, u"spaces"_s, u"corpora"_s, u"includeItemsFromAllDrives"_s});
    const FieldSelection selection = checkedFieldSelection(query, DriveResources::fileListShape(), DriveResources::defaultFileListFields());

    const std::optional<DriveQuery> search = DriveQuery::parse(query.value(u"q"_s).value_or(QString()));
    if (!search)
        throw RequestRefused(google::invalidParameter(u"q"_s, u"Invalid Value"_s));
    int pageSize = defaultPageSize;
    if (const std::optional<QString> text = query.value(u"pageSize"_s)) {
        bool ok = false;
        pageSize = text->toInt(&ok);
        if (!ok || pageSize < 1 || pageSize > maximumPageSize)
            throw RequestRefused(google::invalidParameter(
                u"pageSize"_s, u"Invalid value '%1'. Values must be within the range: [1, %2]"_s.arg(*text).arg(maximumPageSize)));
    }
    qsizetype offset = 0;
    if (const std::optional<QString> token = query.value(u"pageToken"_s)) {
        bool ok = false;
        offset = QByteArray::fromBase64(token->toLatin1(), QByteArray::Base64UrlEncoding).toLongLong(&ok);
        if (!ok || offset < 0)
            throw RequestRefused(google::invalidParameter(u"pageToken"_s, u"Invalid Value"_s));
    }
    if (const std::optional<QString> spaces = query.value(u"spaces"_s); spaces && *spaces != u"drive"_s)
        throw RequestRefused(google::invalidParameter(u"spaces"_s, u"Invalid Value"_s));
    if (const std::optional<QString> corpora = query.value(u"corpora"_s); corpora && *corpora != u"user"_s)
        throw RequestRefused(google::invalidParameter(u"corpora"_s, u"Invalid Value"_s));

    QList<const DriveItem*> matches;
    for (const DriveItem* item : m_store.items()) {
        if (item->clientId == clientId && search->matches(*item, [this](const QString& id) { return m_store.resolve(id); }))
            matches.append(item);
    }
    const qsizetype size = std::min(pageSize, m_paging.takeNextSize().value_or(pageSize));
    QJsonArray files;
    for (qsizetype index = offset; index < matches.size() && index < offset + size; ++index)
        files.append(m_resources.file(*matches[index]));
    QJsonObject list{{u"kind"_s, u"drive#fileList"_s}, {u"incompleteSearch"_s, false}, {u"files"_s, files}};
    if (offset + size < matches.size())
        list.insert(u"nextPageToken"_s, QString::fromLatin1(QByteArray::number(offset + size).toBase64(QByteArray::Base64UrlEncoding)));
    return HttpResponse::json(200, selection.apply(list));
}

HttpResponse DriveService::createFile(const HttpRequestHead& head, const QByteArray& body)
{
    const QString clientId = authorizedClient(head, m_grants);
    const FormFields query = checkedQuery(head.query, commonParameters);
    const FieldSelection selection = checkedFieldSelection(query, DriveResources::fileShape(), DriveResources::defaultFileFields());
    const QByteArray contentType = head.headers.value("Content-Type"_ba).value_or(QByteArray());
    const std::optional<MediaType> mediaType = MediaType::parse(contentType);
    const std::optional<QByteArray> charset = mediaType ? mediaType->parameter("charset"_ba) : std::nullopt;
    if (!body.isEmpty()
        && (!mediaType || mediaType->type != "application/json"_ba || (charset && charset->toLower() != "utf-8"_ba)))
        throw RequestRefused(
            google::apiError(400, u"badContent"_s, u"Unsupported content with type: %1"_s.arg(QString::fromLatin1(contentType))));
    return create(clientId, FileMetadata::parse(body), std::nullopt, selection);
}

std::unique_ptr<BodySink> DriveService::upload(const HttpRequestHead& head)
{
    const QString clientId = authorizedClient(head, m_grants);
    const FormFields query = checkedQuery(head.query, commonParameters + QStringList{u"uploadType"_s});
    const FieldSelection selection = checkedFieldSelection(query, DriveResources::fileShape(), DriveResources::defaultFileFields());
    if (const QString uploadType = query.value(u"uploadType"_s).value_or(QString()); uploadType != u"multipart"_s)
        throw RequestRefused(google::invalidParameter(
            u"uploadType"_s, u"Invalid value '%1' for uploadType. The emulator takes multipart and resumable uploads."_s.arg(uploadType)));
    const QByteArray contentType = head.headers.value("Content-Type"_ba).value_or(QByteArray());
    const std::optional<QByteArray> boundary = MultipartRelatedParser::boundaryOf(contentType);
    if (!boundary)
        throw RequestRefused(
            google::apiError(400, u"badContent"_s, u"Unsupported content with type: %1"_s.arg(QString::fromLatin1(contentType))));
    return std::make_unique<DriveUpload>(*this, clientId, selection, *boundary);
}

QString DriveService::checkedParent(const QString& clientId, const QStringList& parents) const
{
    if (parents.size() > 1)
        throw RequestRefused(google::apiError(403, u"cannotAddParent"_s, u"Increasing the number of parents is not allowed."_s));
    if (parents.isEmpty())
        return m_store.rootFolderId();
    const QString parentId = m_store.resolve(parents.first());
    if (parentId == m_store.rootFolderId())
        return parentId;
    const DriveItem* parent = m_store.find(parentId);
    if (!parent || parent->clientId != clientId)
        throw RequestRefused(google::apiError(404, u"notFound"_s, u"File not found: %1."_s.arg(parents.first()),
                                              google::ErrorLocation{u"fileId"_s, u"parameter"_s}));
    if (!parent->isFolder())
        throw RequestRefused(google::apiError(400, u"badRequest"_s, u"The parent %1 is not a folder."_s.arg(parents.first())));
    return parentId;
}

void DriveService::checkConversion(const UploadedContent& content, const QString& googleType) const
{
    if (!canConvert(content.mediaType, googleType))
        throw RequestRefused(google::apiError(
            400, u"badRequest"_s, u"Content of type %1 cannot be converted to %2."_s.arg(content.mediaType, googleType)));
    if (googleType == mime::document && content.size > m_conversionLimits.documentBytes)
        refuseTooLargeToConvert(u"a Google document (at most %1 bytes)"_s.arg(m_conversionLimits.documentBytes));
    if (googleType == mime::presentation && content.size > m_conversionLimits.presentationBytes)
        refuseTooLargeToConvert(u"a Google presentation (at most %1 bytes)"_s.arg(m_conversionLimits.presentationBytes));
    if (googleType == mime::spreadsheet && content.cells.value_or(0) > m_conversionLimits.spreadsheetCells)
        refuseTooLargeToConvert(u"a Google spreadsheet (at most %1 cells)"_s.arg(m_conversionLimits.spreadsheetCells));
}

HttpResponse DriveService::create(const QString& clientId, const FileMetadata& metadata, const std::optional<UploadedContent>& content,
                                  const FieldSelection& selection)
{
    DriveItem item;
    item.name = metadata.name.value_or(u"Untitled"_s);
    item.description = metadata.description.value_or(QString());
    item.appProperties = metadata.appProperties;
    item.parents = {checkedParent(clientId, metadata.parents)};
    item.clientId = clientId;
    item.createdTime = QDateTime::currentDateTimeUtc();
    const QString requestedType = metadata.mimeType.value_or(QString());
    if (content) {
        const bool converts = requestedType.startsWith(mime::googleAppsPrefix);
        if (converts)
            checkConversion(*content, requestedType);
        item.mimeType = requestedType.isEmpty() ? content->mediaType : requestedType;
        if (converts)
            item.sourceMimeType = content->mediaType;
        item.size = content->size;
        item.sha256 = content->sha256;
        item.contentPrefix = content->prefix;
        item.contentComplete = content->complete;
    } else {
        item.mimeType = requestedType.isEmpty() ? u"application/octet-stream"_s : requestedType;
        item.sha256 = Sha256::digest({}).toHex();
    }
    return HttpResponse::json(200, selection.apply(m_resources.file(m_store.add(std::move(item)))));
}

} // namespace orvane::emulator
