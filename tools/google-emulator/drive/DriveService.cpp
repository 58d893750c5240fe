#include "DriveService.h"

#include "DriveQuery.h"
#include "DriveUpload.h"
#include "ImportFormats.h"
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
constexpr int defaultGeneratedIds = 10;
constexpr int maximumGeneratedIds = 1000;

// A whole number parameter within [1, maximum], or fallback when absent.
int checkedCount(const FormFields& query, const QString& name, int fallback, int maximum)
{
    const std::optional<QString> text = query.value(name);
    if (!text)
        return fallback;
    bool ok = false;
    const int value = text->toInt(&ok);
    if (!ok || value < 1 || value > maximum)
        throw RequestRefused(google::invalidParameter(
            name, u"Invalid value '%1'. Values must be within the range: [1, %2]"_s.arg(*text).arg(maximum)));
    return value;
}

[[noreturn]] void refuseUnknownFile(const QString& fileId)
{
    throw RequestRefused(google::apiError(404, u"notFound"_s, u"File not found: %1."_s.arg(fileId),
                                          google::ErrorLocation{u"fileId"_s, u"parameter"_s}));
}

const ResourceShape& generatedIdsShape()
{
    static const ResourceShape shape = [] {
        ResourceShape ids;
        for (const QString& field : {u"kind"_s, u"space"_s, u"ids"_s})
            ids.fields.insert(field, ResourceShape::leaf());
        return ids;
    }();
    return shape;
}

const ResourceShape& aboutShape()
{
    static const ResourceShape shape = [] {
        ResourceShape about;
        about.fields.insert(u"kind"_s, ResourceShape::leaf());
        auto map = std::make_shared<ResourceShape>();
        map->freeKeys = true;
        about.fields.insert(u"importFormats"_s, map);
        about.fields.insert(u"maxImportSizes"_s, map);
        return about;
    }();
    return shape;
}

[[noreturn]] void refuseTooLargeToConvert(const QString& what)
{
    // How Google refuses such a conversion is not documented; see README.md.
    throw RequestRefused(google::apiError(400, u"badRequest"_s, u"The file is too large to be converted to %1."_s.arg(what)));
}

} // namespace

DriveService::DriveService(DriveStore& store, const OAuthGrants& grants, const DriveResources& resources, ListPaging& paging,
                           const SearchLag& searchLag, const ConversionLimits& conversionLimits)
    : m_store(store)
    , m_grants(grants)
    , m_resources(resources)
    , m_paging(paging)
    , m_searchLag(searchLag)
    , m_conversionLimits(conversionLimits)
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
    const int pageSize = checkedCount(query, u"pageSize"_s, defaultPageSize, maximumPageSize);
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
        if (item->clientId == clientId && !m_searchLag.hides(*item) && search->matches(*item, [this](const QString& id) { return m_store.resolve(id); }))
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

HttpResponse DriveService::getFile(const HttpRequestHead& head, const QString& fileId)
{
    const QString clientId = authorizedClient(head, m_grants);
    const FormFields query = checkedQuery(head.query, commonParameters + QStringList{u"acknowledgeAbuse"_s});
    const FieldSelection selection = checkedFieldSelection(query, DriveResources::fileShape(), DriveResources::defaultFileFields());
    const DriveItem* item = m_store.find(fileId);
    if (!item || item->clientId != clientId)
        refuseUnknownFile(fileId);
    return HttpResponse::json(200, selection.apply(m_resources.file(*item)));
}

HttpResponse DriveService::generateIds(const HttpRequestHead& head)
{
    authorizedClient(head, m_grants);
    const FormFields query = checkedQuery(head.query, commonParameters + QStringList{u"count"_s, u"space"_s, u"type"_s});
    const FieldSelection selection = checkedFieldSelection(query, generatedIdsShape(), FieldSelection::everything());
    const int count = checkedCount(query, u"count"_s, defaultGeneratedIds, maximumGeneratedIds);
    if (const std::optional<QString> space = query.value(u"space"_s); space && *space != u"drive"_s)
        throw RequestRefused(google::invalidParameter(u"space"_s, u"Invalid Value"_s));
    if (const std::optional<QString> type = query.value(u"type"_s); type && *type != u"files"_s)
        throw RequestRefused(google::invalidParameter(u"type"_s, u"Invalid Value"_s));
    const QJsonObject generated{{u"kind"_s, u"drive#generatedIds"_s},
                                {u"space"_s, u"drive"_s},
                                {u"ids"_s, QJsonArray::fromStringList(m_store.generateIds(count))}};
    return HttpResponse::json(200, selection.apply(generated));
}

HttpResponse DriveService::about(const HttpRequestHead& head)
{
    authorizedClient(head, m_grants);
    const FormFields query = checkedQuery(head.query, commonParameters);
    if (!query.value(u"fields"_s))
        throw RequestRefused(google::invalidParameter(u"fields"_s, u"The 'fields' parameter is required for this method."_s));
    const FieldSelection selection = checkedFieldSelection(query, aboutShape(), FieldSelection::everything());
    QJsonObject formats;
    for (auto format = importFormats().cbegin(); format != importFormats().cend(); ++format)
        formats.insert(format.key(), QJsonArray::fromStringList(*format));
    // Drive writes these 64-bit sizes as strings.
    const QJsonObject sizes{{mime::document, QString::number(m_conversionLimits.documentBytes)},
                            {mime::presentation, QString::number(m_conversionLimits.presentationBytes)},
                            {mime::spreadsheet, QString::number(m_conversionLimits.spreadsheetBytes)}};
    return HttpResponse::json(
        200, selection.apply({{u"kind"_s, u"drive#about"_s}, {u"importFormats"_s, formats}, {u"maxImportSizes"_s, sizes}}));
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
    if (googleType == mime::spreadsheet && content.size > m_conversionLimits.spreadsheetBytes)
        refuseTooLargeToConvert(u"a Google spreadsheet (at most %1 bytes)"_s.arg(m_conversionLimits.spreadsheetBytes));
    if (googleType == mime::spreadsheet && content.cells.value_or(0) > m_conversionLimits.spreadsheetCells)
        refuseTooLargeToConvert(u"a Google spreadsheet (at most %1 cells)"_s.arg(m_conversionLimits.spreadsheetCells));
}

QString DriveService::checkedChosenId(const FileMetadata& metadata, bool converts) const
{
    if (!metadata.id)
        return {};
    // Google documents the refusal of generated IDs for Google types (folders
    // aside) and conversions, and the 409 for an ID in use, but not the bodies.
    if (converts)
        throw RequestRefused(google::apiError(
            400, u"badRequest"_s, u"Generated IDs are not supported for Google Docs Editors files or conversions to them."_s));
    if (m_store.find(*metadata.id))
        throw RequestRefused(google::apiError(409, u"duplicate"_s, u"A file already exists with the provided ID."_s));
    if (!m_store.wasGenerated(*metadata.id))
        throw RequestRefused(google::apiError(400, u"invalid"_s, u"The provided file ID is not usable."_s));
    return *metadata.id;
}

HttpResponse DriveService::create(const QString& clientId, const FileMetadata& metadata, const std::optional<UploadedContent>& content,
                                  const FieldSelection& selection)
{
    const QString requestedType = metadata.mimeType.value_or(QString());
    const bool createsGoogleFile = requestedType.startsWith(mime::googleAppsPrefix) && requestedType != mime::folder;
    DriveItem item;
    item.id = checkedChosenId(metadata, createsGoogleFile);
    item.name = metadata.name.value_or(u"Untitled"_s);
    item.description = metadata.description.value_or(QString());
    item.appProperties = metadata.appProperties;
    item.parents = {checkedParent(clientId, metadata.parents)};
    item.clientId = clientId;
    item.createdTime = QDateTime::currentDateTimeUtc();
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
