#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace orvane::emulator {

// The writable members of a Drive file resource that the emulator keeps, read
// from a request's JSON. Members it does not keep are refused, not ignored, so a
// misspelt member shows up.
struct FileMetadata {
    // An ID the client chose from files.generateIds.
    std::optional<QString> id;
    std::optional<QString> name;
    std::optional<QString> mimeType;
    std::optional<QString> description;
    QStringList parents;
    QMap<QString, QString> appProperties;

    // Throws RequestRefused with Drive's 400 when json is not such an object.
    static FileMetadata parse(const QByteArray& json);
};

} // namespace orvane::emulator
