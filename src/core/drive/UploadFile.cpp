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

FileFramedBody::FileFramedBody(QByteArray head, std::shared_ptr<const UploadFile> file, qint64 offset, qint64 length,
                               QByteArray tail)
    : head_(std::move(head)), file_(std::move(file)), offset_(offset), length_(length), tail_(std::move(tail))
{
    const qint64 rangeEnd = head_.size() + length_;
    checkPosition_ = !tail_.isEmpty() ? rangeEnd : length_ > 0 ? rangeEnd - 1 : -1;
}

qint64 FileFramedBody::read(char* data, qint64 maxSize)
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
    const auto copyFrom = [&](const QByteArray& bytes, qint64 from) {
        const qint64 count = std::min(maxSize, bytes.size() - from);
        std::memcpy(data, bytes.constData() + from, size_t(count));
        position_ += count;
        return count;
    };
    if (position_ < head_.size())
        return copyFrom(head_, position_);
    const qint64 rangeEnd = head_.size() + length_;
    if (position_ < rangeEnd) {
        const qint64 count = file_->readAt(offset_ + position_ - head_.size(), data, std::min(maxSize, rangeEnd - position_));
        // A file that shrank since it was opened cannot fill the announced length.
        if (count <= 0)
            return -1;
        position_ += count;
        fileBytesRead_.fetch_add(count, std::memory_order_relaxed);
        return count;
    }
    if (position_ - rangeEnd >= tail_.size())
        return 0;
    return copyFrom(tail_, position_ - rangeEnd);
}

} // namespace orvane
