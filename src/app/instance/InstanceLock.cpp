#include "instance/InstanceLock.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace orvane {

InstanceLock::InstanceLock(QString path) : path_(std::move(path)) {}

InstanceLock::~InstanceLock()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

InstanceLock::Attempt InstanceLock::tryLock()
{
    if (descriptor_ >= 0)
        return Attempt::locked;
    // Close-on-exec: a browser started from Orvane would otherwise keep the
    // lock after Orvane has ended, and no Orvane could start again.
    const int descriptor =
        ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR);
    if (descriptor < 0)
        return Attempt::unavailable;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        return Attempt::heldElsewhere;
    }
    descriptor_ = descriptor;
    return Attempt::locked;
}

bool InstanceLock::isHeld(const QString& path)
{
    InstanceLock probe(path);
    return probe.tryLock() == Attempt::heldElsewhere;
}

} // namespace orvane
