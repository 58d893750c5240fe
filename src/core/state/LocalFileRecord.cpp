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
    snapshot().writeMembers(writer, u"localFilePath");
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
    const QUuid id = json::requireUuid(object, "id"_L1);
    LocalFileSnapshot file = LocalFileSnapshot::fromMembers(object, "localFilePath"_L1);
    return {
        .id = id,
        .localFilePath = std::move(file.path),
        .fileExtension = std::move(file.fileExtension),
        .fileSize = file.fileSize,
        .modifiedAt = file.modifiedAt,
        .sha256 = std::move(file.sha256),
        .googleDriveFileID = json::requireString(object, "googleDriveFileID"_L1),
        .openURL = json::requireUrl(object, "openURL"_L1),
        .openMode = json::requireEnum<OpenMode>(object, "openMode"_L1, openModeFromRawValue),
        .destinationFolderName = json::requireString(object, "destinationFolderName"_L1),
        .createdAt = json::requireDate(object, "createdAt"_L1),
        .lastOpenedAt = json::requireDate(object, "lastOpenedAt"_L1),
    };
}

} // namespace orvane
