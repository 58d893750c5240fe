#pragma once

#include "state/JsonWriter.h"

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUrl>

#include <optional>

namespace orvane {

// The fingerprint of a local file: where it is, how big, when it changed and,
// when taken with hashing, what it holds.
struct LocalFileSnapshot {
    QString path;
    QString fileExtension;
    qint64 fileSize = 0;
    QDateTime modifiedAt;
    std::optional<QString> sha256;

    // Throws FileError when nothing exists at the path or it cannot be read
    // (with the system's reason), or when the path stands for a name that was
    // not UTF-8; OrvaneError::localFileUnavailable, saying what the path is,
    // when it is not a regular file (a folder, a pipe, a device). A modification date outside the years the state
    // file holds is taken as the nearest date it holds.
    static LocalFileSnapshot inspect(const QUrl& fileURL, bool includeSHA256);

    // Same file, same content: paths and extensions equal under Unicode
    // canonical equivalence, sizes equal, and the hashes equal when both are
    // known, else modification dates less than a second apart.
    bool matches(const LocalFileSnapshot& other) const;

    // One object, keys equal to the field names in field order; "sha256" is
    // left out when absent. The date must be one JsonWriter can write.
    void writeJson(JsonWriter& writer) const;
    // Throws DecodingError.
    static LocalFileSnapshot fromJson(const QJsonValue& value);

    // The same members within an enclosing object, the path under pathKey:
    // a record keeps the snapshot it was made from this way.
    void writeMembers(JsonWriter& writer, QStringView pathKey) const;
    static LocalFileSnapshot fromMembers(const QJsonObject& object, QLatin1StringView pathKey);

    bool operator==(const LocalFileSnapshot&) const = default;
};

// Text comparison under Unicode canonical equivalence (NFC forms); case matters.
bool canonicallyEquivalent(const QString& a, const QString& b);

} // namespace orvane
