#pragma once

#include "net/HttpExchange.h"
#include "net/RetryPolicy.h"
#include "support/UrlError.h"

#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>

namespace orvane {

// A file or folder as Drive describes it; every member may be missing.
// Throws DecodingError for anything but an object with members of the right types.
struct DriveFile {
    std::optional<QString> id;
    std::optional<QString> name;
    std::optional<QString> webViewLink;
    std::optional<QString> mimeType;
    // Empty when not asked for.
    QStringList parents;
    std::optional<bool> trashed;

    static DriveFile fromJson(const QJsonValue& value);

    bool operator==(const DriveFile&) const = default;
};

// One page of a files.list answer.
struct DriveFileList {
    QList<DriveFile> files;
    // Present while more pages follow; a page may be short, or empty, before the end.
    std::optional<QString> nextPageToken;

    static DriveFileList fromJson(const QJsonValue& value);

    bool operator==(const DriveFileList&) const = default;
};

// The IDs files.generateIds made for items the client creates.
struct GeneratedIds {
    QStringList ids;

    static GeneratedIds fromJson(const QJsonValue& value);
};

// Whether Google asks for this Drive answer to be tried again, and how: a
// rate limit for 429 or a 403 whose reason is a rate limit, transient for a
// server failure (500, 502, 503, 504).
std::optional<PassingFailure> passingFailureOfDriveAnswer(const HttpResponse& response);

// The error a failed Drive answer ends in: UrlError::badServerResponse with
// the status and the message of Google's error object, when it has one.
UrlError driveAnswerError(const HttpResponse& response);

} // namespace orvane
