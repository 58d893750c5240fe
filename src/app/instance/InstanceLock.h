#pragma once

#include <QString>

namespace orvane {

// The mark of the one running Orvane of a user: a lock on a file beside its
// socket, held for the whole life of the process. The system lets go of it
// when the process ends, however it ends, so a lock is never stale; and no
// program Orvane starts (the browser) inherits it.
class InstanceLock {
public:
    explicit InstanceLock(QString path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    enum class Attempt {
        locked,
        heldElsewhere,
        // The lock file cannot be made (a folder that is not writable):
        // nothing can tell whether another Orvane runs.
        unavailable,
    };

    // Takes the lock unless another process holds it; never waits.
    Attempt tryLock();
    bool isLocked() const { return descriptor_ >= 0; }

    // Whether some process holds the lock at path. Asking takes it for an
    // instant.
    static bool isHeld(const QString& path);

    const QString& path() const { return path_; }

private:
    QString path_;
    int descriptor_ = -1;
};

} // namespace orvane
