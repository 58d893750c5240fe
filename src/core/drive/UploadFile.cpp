#include "drive/UploadFile.h"

#include "support/FileError.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvane {

UploadFile::Identity UploadFile::identityOf(const struct ::stat& status)
{
    return {quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size), qint64(status.st_mtim.tv_sec),
            qint64(status.st_mtim.tv_nsec)};
}

UploadFile::UploadFile(QString path) : path_(std::move(path))
{
    descriptor_ = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor_ < 0)
        throw FileError::unreachable(path_, errno);
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0) {
        const int error = errno;
        ::close(descriptor_);
        throw FileError(FileError::Kind::notReadable, path_, FileError::systemReason(error));
    }
    identity_ = identityOf(status);
}

UploadFile::~UploadFile()
{
    ::close(descriptor_);
}

qint64 UploadFile::readAt(qint64 offset, char* data, qint64 maxSize) const
{
    for (;;) {
        const ssize_t count = ::pread(descriptor_, data, size_t(maxSize), off_t(offset));
        if (count >= 0 || errno != EINTR)
            return count;
    }
}

bool UploadFile::isUnchanged() const
{
    // The open file must not have been written to, and its path must still
    // name it: a file replaced by a save is another file.
    struct stat opened {};
    struct stat atPath {};
    if (::fstat(descriptor_, &opened) != 0 || ::stat(QFile::encodeName(path_).constData(), &atPath) != 0)
        return false;
    return identityOf(opened) == identity_ && quint64(atPath.st_dev) == identity_.device
           && quint64(atPath.st_ino) == identity_.inode;
}

FileRangeBody::FileRangeBody(std::shared_ptr<const UploadFile> file, qint64 offset, qint64 length)
    : file_(std::move(file)), offset_(offset), length_(length), checkPosition_(length > 0 ? length - 1 : -1)
{
}

qint64 FileRangeBody::read(char* data, qint64 maxSize)
{
    // The last chance to keep a torn copy from being completed: the server
    // takes nothing that falls short of the length it was announced.
    if (position_ == checkPosition_) {
        if (!file_->isUnchanged())
            return -1;
        checkPosition_ = -1;
    }
    if (position_ < checkPosition_)
        maxSize = std::min(maxSize, checkPosition_ - position_);
    if (position_ >= length_)
        return 0;
    const qint64 count = file_->readAt(offset_ + position_, data, std::min(maxSize, length_ - position_));
    // A file that shrank since it was opened cannot fill the announced length.
    if (count <= 0)
        return -1;
    position_ += count;
    fileBytesRead_.fetch_add(count, std::memory_order_relaxed);
    return count;
}

} // namespace orvane
