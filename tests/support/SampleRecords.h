#pragma once

#include "state/LocalFileRecord.h"

#include <QDateTime>
#include <QUuid>

namespace orvane::testsupport {

inline QDateTime utc(const char* isoText)
{
    return QDateTime::fromString(QString::fromLatin1(isoText), Qt::ISODateWithMs).toUTC();
}

// A complete record for a converted CSV, varied by what a test cares about.
inline LocalFileRecord sampleRecord(const QString& path, const QDateTime& lastOpenedAt,
                                    std::optional<QString> sha256 = QStringLiteral("ab").repeated(32))
{
    return {
        .id = QUuid::createUuid(),
        .localFilePath = path,
        .fileExtension = QStringLiteral("csv"),
        .fileSize = 74,
        .modifiedAt = utc("2025-01-31T09:15:00Z"),
        .sha256 = std::move(sha256),
        .googleDriveFileID = QStringLiteral("1AbC-dEf_2"),
        .openURL = QUrl(QStringLiteral("https://docs.google.com/spreadsheets/d/1AbC-dEf_2/edit")),
        .openMode = OpenMode::googleFormat,
        .destinationFolderName = QStringLiteral("CSV Imports"),
        .createdAt = utc("2025-01-31T10:00:00Z"),
        .lastOpenedAt = lastOpenedAt,
    };
}

} // namespace orvane::testsupport
