#include "support/SettingsSync.h"

#include "support/FileError.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

namespace orvane {

namespace {

// Qt writes every line of a settings file with its line feed, so a file cut
// short by a full disk is empty or ends inside a line.
bool isWhole(const QString& path, const QSettings& settings)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && (settings.allKeys().isEmpty() || file.readAll().endsWith('\n'));
}

// QSettings keeps no reason, and its status stays at its first error: ask
// the disk.
QString likelyReason(const QString& path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    struct statvfs disk {};
    if (::statvfs(folder.constData(), &disk) == 0 && disk.f_bavail == 0)
        return FileError::systemReason(ENOSPC);
    if (::access(folder.constData(), W_OK) != 0)
        return FileError::systemReason(errno);
    return {};
}

std::optional<ino_t> inodeOf(const QByteArray& name)
{
    struct stat status {};
    if (::stat(name.constData(), &status) != 0)
        return std::nullopt;
    return status.st_ino;
}

} // namespace

void syncSettings(QSettings& settings)
{
    const QString path = settings.fileName();
    const QByteArray name = QFile::encodeName(path);
    // A second name for the old file takes no space on the disk, keeps its
    // inode from being given to the new file, and renaming it back restores
    // the file in one step.
    const QByteArray keptName = name + ".previous";
    ::unlink(keptName.constData());
    const std::optional<ino_t> kept =
        ::link(name.constData(), keptName.constData()) == 0 ? inodeOf(keptName) : std::nullopt;

    // QSettings replaces the file on every sync with changes, so a file
    // still on the old inode was not written.
    settings.sync();
    const std::optional<ino_t> written = inodeOf(name);
    if (written && written != kept && isWhole(path, settings)) {
        ::unlink(keptName.constData());
        return;
    }
    if (kept)
        ::rename(keptName.constData(), name.constData());
    throw FileError(FileError::Kind::writeFailed, path, likelyReason(path));
}

} // namespace orvane
