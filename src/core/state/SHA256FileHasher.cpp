#include "state/SHA256FileHasher.h"

#include "support/FileError.h"
#include "state/Sha256.h"

#include <QFile>

#include <memory>

namespace orvane {

namespace {

// Large enough that the per-read overhead vanishes, small enough to stay in cache.
constexpr qint64 chunkSize = 1 << 20;

} // namespace

QString SHA256FileHasher::hash(const QUrl& fileURL)
{
    const QString path = fileURL.toLocalFile();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        const auto kind = file.exists() ? FileError::Kind::notReadable : FileError::Kind::notFound;
        throw FileError(kind, path, file.errorString());
    }
    Sha256 hasher;
    const auto buffer = std::make_unique<char[]>(chunkSize);
    for (;;) {
        const qint64 count = file.read(buffer.get(), chunkSize);
        if (count < 0)
            throw FileError(FileError::Kind::notReadable, path, file.errorString());
        if (count == 0)
            break;
        hasher.update(QByteArrayView(buffer.get(), count));
    }
    return QString::fromLatin1(hasher.finalize().toHex());
}

} // namespace orvane
