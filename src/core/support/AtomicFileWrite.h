#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <optional>

namespace orvane {

// Replaces the file at path with contents in one step, or leaves the old
// file as it was: every file Orvane writes goes through here. The contents
// reach the disk, and the rename that puts them in place is synced through
// the folder, before this returns. permissions: the new file's, else those
// of the file it replaces (the umask's for a new one). Throws FileError
// (writeFailed, with the system's reason).
void writeFileAtomically(const QString& path, const QByteArray& contents,
                         std::optional<QFileDevice::Permissions> permissions = std::nullopt);

} // namespace orvane
