#include "support/FileError.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace orvane {

QString FileError::systemReason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

QString FileError::kindOfNonRegularFile(unsigned int mode)
{
    switch (mode & S_IFMT) {
    case S_IFDIR:
        return QStringLiteral("it is a folder");
    case S_IFIFO:
        return QStringLiteral("it is a pipe");
    case S_IFCHR:
    case S_IFBLK:
        return QStringLiteral("it is a device");
    case S_IFSOCK:
        return QStringLiteral("it is a socket");
    default:
        return QStringLiteral("it is not a regular file");
    }
}

FileError FileError::unreachable(const QString& path, int errorNumber)
{
    if (errorNumber != ENOENT && errorNumber != ENOTDIR)
        return FileError(Kind::notReadable, path, systemReason(errorNumber));
    // A name that was not UTF-8 reaches Orvane with its bytes replaced, so
    // the text names a file that does not exist.
    if (path.contains(QChar::ReplacementCharacter))
        return FileError(Kind::nameNotUtf8, path);
    return FileError(Kind::notFound, path);
}

QString FileError::genericDescription() const
{
    QString sentence;
    switch (kind_) {
    case Kind::notFound:
        sentence = QStringLiteral("The file \u201C%1\u201D does not exist.");
        break;
    case Kind::notReadable:
        sentence = QStringLiteral("The file \u201C%1\u201D could not be read.");
        break;
    case Kind::writeFailed:
        sentence = QStringLiteral("The file \u201C%1\u201D could not be written.");
        break;
    case Kind::removeFailed:
        sentence = QStringLiteral("The file \u201C%1\u201D could not be removed.");
        break;
    case Kind::folderNotMade:
        sentence = QStringLiteral("The folder \u201C%1\u201D could not be made.");
        break;
    case Kind::nameNotUtf8:
        sentence = QStringLiteral("Orvane cannot open \u201C%1\u201D: the file\u2019s name is not valid UTF-8 text. "
                                  "Rename the file and open it again.");
        break;
    }
    sentence = sentence.arg(path_);
    if (!reason_.isEmpty())
        sentence += QStringLiteral(" (%1)").arg(reason_);
    return sentence;
}

} // namespace orvane
