#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace orvane::emulator {

namespace mime {
inline const QString folder = QStringLiteral("application/vnd.google-apps.folder");
inline const QString spreadsheet = QStringLiteral("application/vnd.google-apps.spreadsheet");
inline const QString document = QStringLiteral("application/vnd.google-apps.document");
inline const QString presentation = QStringLiteral("application/vnd.google-apps.presentation");
inline const QString googleAppsPrefix = QStringLiteral("application/vnd.google-apps.");
} // namespace mime

// A file or folder in the emulated Drive. Content is kept as its size and SHA-256
// plus a bounded prefix for the pages, so large uploads cost no memory.
struct DriveItem {
    QString id;
    QString name;
    QString mimeType;
    // The media type the content was uploaded as, when it differs from mimeType
    // because Drive converted it to a Google type.
    std::optional<QString> sourceMimeType;
    QString description;
    QStringList parents;
    QMap<QString, QString> appProperties;
    QString clientId; // the OAuth client that created it: what drive.file lets see it
    bool trashed = false;
    qint64 size = 0;
    QByteArray sha256; // hex
    QByteArray contentPrefix;
    bool contentComplete = true; // whether contentPrefix holds all of the content
    QDateTime createdTime;

    bool isFolder() const { return mimeType == mime::folder; }
    bool isGoogleType() const { return mimeType.startsWith(mime::googleAppsPrefix); }
};

} // namespace orvane::emulator
