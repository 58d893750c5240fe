#include "LocalFileRecord.h"

#include "JsonDecoding.h"

using namespace Qt::StringLiterals;

namespace orvane {

LocalFileSnapshot LocalFileRecord::snapshot() const
{
    return {localFilePath, fileExtension, fileSize, modifiedAt, sha256};
}

bool LocalFileRecord::isReusable(const LocalFileSnapshot& other, OpenMode mode) const
{
    return openMode == mode && snapshot().matches(other);
}

QJsonObject LocalFileRecord::toJson() const
{
    QJsonObject object{
        {u"id"_s, json::uuidText(id)},
        {u"localFilePath"_s, localFilePath},
        {u"fileExtension"_s, fileExtension},
        {u"fileSize"_s, fileSize},
        {u"modifiedAt"_s, json::dateText(modifiedAt)},
        {u"googleDriveFileID"_s, googleDriveFileID},
        {u"openURL"_s, openURL.toString(QUrl::FullyEncoded)},
        {u"openMode"_s, rawValue(openMode)},
        {u"destinationFolderName"_s, destinationFolderName},
        {u"createdAt"_s, json::dateText(createdAt)},
        {u"lastOpenedAt"_s, json::dateText(lastOpenedAt)},
    };
    if (sha256)
        object.insert(u"sha256"_s, *sha256);
    return object;
}

LocalFileRecord LocalFileRecord::fromJson(const QJsonValue& value)
{
    const QJsonObject object = json::requireObject(value);
    return {
        .id = json::requireUuid(object, "id"_L1),
        .localFilePath = json::requireString(object, "localFilePath"_L1),
        .fileExtension = json::requireString(object, "fileExtension"_L1),
        .fileSize = json::requireInt64(object, "fileSize"_L1),
        .modifiedAt = json::requireDate(object, "modifiedAt"_L1),
        .sha256 = json::optionalString(object, "sha256"_L1),
        .googleDriveFileID = json::requireString(object, "googleDriveFileID"_L1),
        .openURL = json::requireUrl(object, "openURL"_L1),
        .openMode = json::requireEnum<OpenMode>(object, "openMode"_L1, openModeFromRawValue),
        .destinationFolderName = json::requireString(object, "destinationFolderName"_L1),
        .createdAt = json::requireDate(object, "createdAt"_L1),
        .lastOpenedAt = json::requireDate(object, "lastOpenedAt"_L1),
    };
}

} // namespace orvane
