#pragma once

#include "routing/FileRouting.h"
#include "state/JsonWriter.h"
#include "state/LocalFileSnapshot.h"

#include <QDateTime>
#include <QJsonValue>
#include <QUrl>
#include <QUuid>

#include <optional>

namespace orvane {

// What Orvane remembers of one upload: the local file as it was then, and the
// Drive file it became. Only lastOpenedAt changes afterwards.
struct LocalFileRecord {
    QUuid id;
    QString localFilePath;
    QString fileExtension;
    qint64 fileSize = 0;
    QDateTime modifiedAt;
    std::optional<QString> sha256;
    QString googleDriveFileID;
    QUrl openURL;
    OpenMode openMode = OpenMode::googleFormat;
    QString destinationFolderName;
    QDateTime createdAt;
    QDateTime lastOpenedAt;

    LocalFileSnapshot snapshot() const;
    // The Drive file may stand for this local file again: same mode, and the
    // file unchanged since the upload.
    bool isReusable(const LocalFileSnapshot& snapshot, OpenMode mode) const;

    // One object, keys equal to the field names in field order; "sha256" is
    // left out when absent.
    void writeJson(JsonWriter& writer) const;
    // Throws DecodingError.
    static LocalFileRecord fromJson(const QJsonValue& value);

    bool operator==(const LocalFileRecord&) const = default;
};

} // namespace orvane
