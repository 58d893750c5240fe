#pragma once

#include <QString>

#include <atomic>
#include <memory>

struct stat;

namespace orvane {

// The local file an upload sends, held open from the upload's first byte to
// its last, however many requests that takes. Its identity is taken when it
// opens (device, inode, size, modification time to the nanosecond): a file
// written to, resized or replaced by a save since then is another file.
class UploadFile {
public:
    // Throws FileError with the system's reason when the file cannot be opened.
    explicit UploadFile(QString path);
    ~UploadFile();
    UploadFile(const UploadFile&) = delete;
    UploadFile& operator=(const UploadFile&) = delete;

    const QString& path() const { return path_; }
    // The size when it was opened.
    qint64 size() const { return identity_.size; }

    // Up to maxSize bytes from offset; fewer only at the end of the file, -1
    // on a read error. Safe from any thread.
    qint64 readAt(qint64 offset, char* data, qint64 maxSize) const;
    // Whether the open file was not written to since it was opened, and its
    // path still names it.
    bool isUnchanged() const;

private:
    struct Identity {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedSeconds = 0;
        qint64 modifiedNanoseconds = 0;

        bool operator==(const Identity&) const = default;
    };
    static Identity identityOf(const struct ::stat& status);

    QString path_;
    int descriptor_ = -1;
    Identity identity_;
};

// A request body that is a range of an upload's file, read piece by piece as
// it is sent so that a large file never sits in memory. Before the range's
// last byte it checks that the file is unchanged; a changed file ends the body
// there, so the server, which never sees the announced length arrive, keeps no
// torn copy.
class FileRangeBody {
public:
    FileRangeBody(std::shared_ptr<const UploadFile> file, qint64 offset, qint64 length);

    qint64 size() const { return length_; }
    const QString& filePath() const { return file_->path(); }

    // The next bytes, up to maxSize; 0 at the end; -1 when the file no longer
    // holds what it held when it was opened.
    qint64 read(char* data, qint64 maxSize);
    // How many bytes of the file it has handed over; safe from any thread.
    qint64 fileBytesRead() const { return fileBytesRead_.load(std::memory_order_relaxed); }

private:
    std::shared_ptr<const UploadFile> file_;
    qint64 offset_;
    qint64 length_;
    qint64 position_ = 0;
    // Where the body stops to check the file; -1 once it has.
    qint64 checkPosition_;
    std::atomic<qint64> fileBytesRead_{0};
};

} // namespace orvane
