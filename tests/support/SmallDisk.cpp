#include "SmallDisk.h"

#include <QFile>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace orvane::testsupport {

SmallDisk::SmallDisk(QString folder, qint64 bytes) : path_(folder.isEmpty() ? ownFolder_.path() : std::move(folder))
{
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
    if (::mount("tmpfs", QFile::encodeName(path_).constData(), "tmpfs", 0, options.constData()) == 0) {
        mounted_ = true;
        return;
    }
    const int error = errno;
    if (error != EPERM && error != EACCES)
        throw std::runtime_error("cannot mount a tmpfs on " + path_.toStdString() + ": " + std::strerror(error));
    refusal_ = QStringLiteral("mounting a small tmpfs needs root here (%1)").arg(QString::fromLocal8Bit(std::strerror(error)));
}

SmallDisk::~SmallDisk()
{
    // Detached, so that a file a test left open does not keep it mounted.
    if (mounted_)
        ::umount2(QFile::encodeName(path_).constData(), MNT_DETACH);
}

void SmallDisk::makeReadOnly() const
{
    if (::mount(nullptr, QFile::encodeName(path_).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        throw std::runtime_error("cannot make " + path_.toStdString() + " read-only: " + std::strerror(errno));
}

void SmallDisk::fill(qint64 leaveFree) const
{
    const auto fileAt = [this](const char* name) { return QFile::encodeName(path_) + '/' + name; };
    const QByteArray reserve = fileAt(".reserve");
    if (leaveFree > 0) {
        QFile kept(QFile::decodeName(reserve));
        if (!kept.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || kept.write(QByteArray(leaveFree, 'r')) != leaveFree)
            throw std::runtime_error("cannot set aside the free space to leave");
    }
    QFile filler(QFile::decodeName(fileAt(".filler")));
    if (!filler.open(QIODevice::Append | QIODevice::Unbuffered))
        throw std::runtime_error("cannot make the filler file");
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
    // A last page may still take part of a block.
    while (filler.write(block.left(1)) == 1) {
    }
    ::unlink(reserve.constData());
}

} // namespace orvane::testsupport
