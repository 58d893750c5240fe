#pragma once

#include <QString>
#include <QUrl>

namespace orvane {

// The SHA-256 of a file's whole content, read in chunks so that memory stays
// constant whatever the file's size.
struct SHA256FileHasher {
    // 64 lower-case hexadecimal characters. Throws FileError when the file
    // cannot be opened or read.
    static QString hash(const QUrl& fileURL);
};

} // namespace orvane
