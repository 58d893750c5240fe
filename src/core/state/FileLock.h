#pragma once

#include <QString>

#include <chrono>
#include <memory>

namespace orvane {

// An exclusive lock shared by every process that locks the same lock file,
// held until destroyed. The kernel releases it when its process ends, however
// it ends, so a crashed Orvane never leaves a stale lock behind. The lock file
// itself stays: removing it could let two processes lock two different files.
class FileLock {
public:
    // Waits up to timeout for another holder to let go. Throws FileError
    // naming lockFilePath when the lock cannot be had.
    FileLock(const QString& lockFilePath, std::chrono::milliseconds timeout);
    // The lock if no one else holds it, at once: for callers that must not
    // block their thread while they wait. Throws FileError when the lock file
    // cannot be opened.
    static std::unique_ptr<FileLock> tryLock(const QString& lockFilePath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    explicit FileLock(int descriptor) : descriptor_(descriptor) {}
    static int openLockFile(const QString& lockFilePath);

    int descriptor_ = -1;
};

} // namespace orvane
