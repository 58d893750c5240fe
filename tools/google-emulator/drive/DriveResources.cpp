#include "DriveResources.h"

#include <QJsonArray>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

namespace {

std::shared_ptr<const ResourceShape> makeFileShape()
{
    auto shape = std::make_shared<ResourceShape>();
    for (const QString& field : {u"kind"_s, u"id"_s, u"name"_s, u"mimeType"_s, u"description"_s, u"parents"_s, u"trashed"_s,
                                 u"webViewLink"_s, u"size"_s, u"sha256Checksum"_s, u"createdTime"_s, u"modifiedTime"_s})
        shape->fields.insert(field, ResourceShape::leaf());
    auto map = std::make_shared<ResourceShape>();
    map->freeKeys = true;
    shape->fields.insert(u"appProperties"_s, map);
    return shape;
}

std::shared_ptr<const ResourceShape> fileShapePointer()
{
    static const std::shared_ptr<const ResourceShape> shape = makeFileShape();
    return shape;
}

FieldSelection requireSelection(QStringView text, const ResourceShape& shape)
{
    return *FieldSelection::parse(text, shape, nullptr);
}

QString timestamp(const QDateTime& time)
{
    return time.toUTC().toString(u"yyyy-MM-ddTHH:mm:ss.zzzZ"_s);
}

} // namespace

const ResourceShape& DriveResources::fileShape()
{
    return *fileShapePointer();
}

const ResourceShape& DriveResources::fileListShape()
{
    static const ResourceShape shape = [] {
        ResourceShape list;
        for (const QString& field : {u"kind"_s, u"nextPageToken"_s, u"incompleteSearch"_s})
            list.fields.insert(field, ResourceShape::leaf());
        list.fields.insert(u"files"_s, fileShapePointer());
        return list;
    }();
    return shape;
}

const FieldSelection& DriveResources::defaultFileFields()
{
    static const FieldSelection selection = requireSelection(u"kind,id,name,mimeType", fileShape());
    return selection;
}

const FieldSelection& DriveResources::defaultFileListFields()
{
    static const FieldSelection selection
        = requireSelection(u"kind,nextPageToken,incompleteSearch,files(kind,id,name,mimeType)", fileListShape());
    return selection;
}

QJsonObject DriveResources::file(const DriveItem& item) const
{
    QJsonObject resource{
        {u"kind"_s, u"drive#file"_s},
        {u"id"_s, item.id},
        {u"name"_s, item.name},
        {u"mimeType"_s, item.mimeType},
        {u"parents"_s, QJsonArray::fromStringList(item.parents)},
        {u"trashed"_s, item.trashed},
        {u"webViewLink"_s, webViewLink(item)},
        {u"createdTime"_s, timestamp(item.createdTime)},
        {u"modifiedTime"_s, timestamp(item.createdTime)},
    };
    if (!item.description.isEmpty())
        resource.insert(u"description"_s, item.description);
    if (!item.appProperties.isEmpty()) {
        QJsonObject properties;
        for (auto property = item.appProperties.cbegin(); property != item.appProperties.cend(); ++property)
            properties.insert(property.key(), *property);
        resource.insert(u"appProperties"_s, properties);
    }
    // Google types have no bytes of their own in Drive, so no size or checksum.
    if (!item.isGoogleType()) {
        resource.insert(u"size"_s, QString::number(item.size));
        resource.insert(u"sha256Checksum"_s, QString::fromLatin1(item.sha256));
    }
    return resource;
}

QString DriveResources::webViewLink(const DriveItem& item) const
{
    const QString root = m_rootUrl.toString(QUrl::StripTrailingSlash);
    if (item.isFolder())
        return root + u"/drive/folders/"_s + item.id;
    if (item.mimeType == mime::spreadsheet)
        return root + u"/spreadsheets/d/"_s + item.id + u"/edit?usp=drivesdk"_s;
    if (item.mimeType == mime::document)
        return root + u"/document/d/"_s + item.id + u"/edit?usp=drivesdk"_s;
    if (item.mimeType == mime::presentation)
        return root + u"/presentation/d/"_s + item.id + u"/edit?usp=drivesdk"_s;
    return root + u"/file/d/"_s + item.id + u"/view?usp=drivesdk"_s;
}

} // namespace orvane::emulator
