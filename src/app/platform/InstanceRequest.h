#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace orvane {

// What a later Orvane process asks of the running one: open these local
// files, or, with none, bring the main window forward (a reopen).
struct InstanceRequest {
    // Larger messages are refused unread.
    static constexpr qsizetype maximumEncodedSize = 1024 * 1024;

    QList<QUrl> fileURLs;

    bool isReopen() const { return fileURLs.isEmpty(); }

    // The command line of `orvane FILE…` (the program name left out): each
    // argument is a path, relative ones taken from workingDirectory.
    static InstanceRequest fromArguments(const QStringList& arguments, const QString& workingDirectory);

    // One compact JSON object, {"openFiles": ["/absolute/path", …]}.
    QByteArray encoded() const;
    // The message is from another process: anything but that form, or a list
    // whose entries are all unusable, is refused. Only absolute paths become
    // file URLs; other entries are dropped.
    static std::optional<InstanceRequest> decode(const QByteArray& message);

    bool operator==(const InstanceRequest&) const = default;
};

} // namespace orvane
