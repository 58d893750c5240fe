#pragma once

#include <QString>
#include <QTemporaryDir>

namespace orvane::testsupport {

// A small tmpfs file system mounted on a folder, for writes that meet a full
// disk. Mounting needs root (CAP_SYS_ADMIN); where the system refuses it,
// refusal() says why, and the test skips with that reason.
class SmallDisk {
public:
    // Mounted on folder, which must exist; on a temporary folder without one.
    explicit SmallDisk(QString folder = {}, qint64 bytes = 256 * 1024);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool isMounted() const { return mounted_; }
    // Why the disk could not be mounted, when mounting is impossible here.
    const QString& refusal() const { return refusal_; }
    const QString& path() const { return path_; }

    // From now on nothing on it can be written, not even by root.
    void makeReadOnly() const;
    // Takes every free block but leaveFree bytes (rounded up to pages).
    void fill(qint64 leaveFree = 0) const;

private:
    QTemporaryDir ownFolder_;
    QString path_;
    bool mounted_ = false;
    QString refusal_;
};

} // namespace orvane::testsupport
