#pragma once

#include <QString>

#include <chrono>

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
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int descriptor_ = -1;
};

} // namespace orvane
