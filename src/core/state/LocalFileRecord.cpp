#include "state/LocalFileRecord.h"

#include "support/JsonDecoding.h"

using namespace Qt::StringLiterals;

namespace orvane {

LocalFileSnapshot LocalFileRecord::snapshot() const
{
    return {localFilePath, fileExtension, fileSize, modifiedAt, sha256};
}

bool LocalFileRecord::isReusable(const LocalFileSnapshot& other, OpenMode mode) const
{
    // The size first, before a snapshot is made: it rules out nearly every record.
    return openMode == mode && fileSize == other.fileSize && snapshot().matches(other);
}

void LocalFileRecord::writeJson(JsonWriter& writer) const
{
    writer.beginObject();
    writer.member(u"id", id);
    writer.member(u"localFilePath", localFilePath);
    writer.member(u"fileExtension", fileExtension);
    writer.member(u"fileSize", fileSize);
    writer.member(u"modifiedAt", modifiedAt);
    if (sha256)
        writer.member(u"sha256", *sha256);
    writer.member(u"googleDriveFileID", googleDriveFileID);
    writer.member(u"openURL", openURL.toString(QUrl::FullyEncoded));
    writer.member(u"openMode", rawValue(openMode));
    writer.member(u"destinationFolderName", destinationFolderName);
    writer.member(u"createdAt", createdAt);
    writer.member(u"lastOpenedAt", lastOpenedAt);
    writer.endObject();
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
