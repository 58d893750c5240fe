#include "state/PrivateFolders.h"

#include "support/FileError.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

#include <cerrno>

namespace orvane {

void createPrivateFolders(const QString& path)
{
    const QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (QFileInfo(folder).isDir())
        return;
    createPrivateFolders(QFileInfo(folder).path());
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0)
        return;
    // Another process may have made the same folder a moment ago.
    const int error = errno;
    if (error != EEXIST || !QFileInfo(folder).isDir())
        throw FileError(FileError::Kind::folderNotMade, folder, FileError::systemReason(error));
}

} // namespace orvane
