#include "state/FileLock.h"

#include "support/FileError.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace orvane {

namespace {

// Holders keep the lock for one save, milliseconds: polling at this pace
// costs nothing and keeps no one waiting long.
constexpr unsigned long pollMilliseconds = 2;

} // namespace

int FileLock::openLockFile(const QString& lockFilePath)
{
    // flock rather than QLockFile: QLockFile syncs its file to disk on every
    // lock, which doubled the time of a save.
    const int descriptor = ::open(QFile::encodeName(lockFilePath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0)
        throw FileError(FileError::Kind::writeFailed, lockFilePath, FileError::systemReason(errno));
    return descriptor;
}

std::unique_ptr<FileLock> FileLock::tryLock(const QString& lockFilePath)
{
    const int descriptor = openLockFile(lockFilePath);
    while (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR)
            continue;
        ::close(descriptor);
        if (error == EWOULDBLOCK)
            return nullptr;
        throw FileError(FileError::Kind::writeFailed, lockFilePath, FileError::systemReason(error));
    }
    return std::unique_ptr<FileLock>(new FileLock(descriptor));
}

FileLock::FileLock(const QString& lockFilePath, std::chrono::milliseconds timeout) : descriptor_(openLockFile(lockFilePath))
{
    const QDeadlineTimer deadline(timeout);
    while (::flock(descriptor_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if ((error != EWOULDBLOCK && error != EINTR) || deadline.hasExpired()) {
            ::close(descriptor_);
            throw FileError(FileError::Kind::writeFailed, lockFilePath,
                            error == EWOULDBLOCK ? QStringLiteral("another Orvane kept it locked")
                                                 : FileError::systemReason(error));
        }
        QThread::msleep(pollMilliseconds);
    }
}

FileLock::~FileLock()
{
    // Closing releases the lock.
    ::close(descriptor_);
}

} // namespace orvane
