#include "support/AtomicFileWrite.h"

#include "support/FileError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace orvane {

namespace {

// The rename that replaced the file is itself written to disk only when its
// folder is: until then a power failure could bring the previous file back.
void syncFolderOf(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const int descriptor = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0 || ::fsync(descriptor) != 0) {
        const int error = errno;
        if (descriptor >= 0)
            ::close(descriptor);
        throw FileError(FileError::Kind::writeFailed, path, FileError::systemReason(error));
    }
    ::close(descriptor);
}

} // namespace

void writeFileAtomically(const QString& path, const QByteArray& contents,
                         std::optional<QFileDevice::Permissions> permissions)
{
    QSaveFile file(path);
    // Unbuffered, so that a full disk fails the write itself: with a buffer,
    // the bytes reach the disk only inside commit(), which on Qt 6.4 misses
    // that failure and renames the empty file over the old one.
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        && (!permissions || file.setPermissions(*permissions)) && file.write(contents) == contents.size();
    // Left uncommitted, the temporary file goes with the QSaveFile.
    if (!written)
        throw FileError(FileError::Kind::writeFailed, path, file.errorString());
    if (!file.commit())
        throw FileError(FileError::Kind::writeFailed, path, file.errorString());
    syncFolderOf(path);
}

} // namespace orvane
