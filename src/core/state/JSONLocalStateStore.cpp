#include "state/JSONLocalStateStore.h"

#include "support/FileError.h"
#include "support/JsonDecoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

#include <algorithm>

#include <cerrno>
#include <cstring>

namespace orvane {

namespace {

using FileIdentity = JSONLocalStateStore::FileIdentity;

qint64 nanoseconds(const timespec& time)
{
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// Absent when nothing exists at the path.
std::optional<FileIdentity> identityOf(const QString& path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        throw FileError(FileError::Kind::notReadable, path, QString::fromLocal8Bit(std::strerror(errno)));
    }
#ifdef Q_OS_DARWIN
    const timespec modified = status.st_mtimespec, changed = status.st_ctimespec;
#else
    const timespec modified = status.st_mtim, changed = status.st_ctim;
#endif
    return FileIdentity{quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size),
                        nanoseconds(modified), nanoseconds(changed)};
}

QList<LocalFileRecord> decodeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(FileError::Kind::notReadable, path, file.errorString());
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(FileError::Kind::notReadable, path, file.errorString());
    try {
        return json::decodeArray(json::parseArray(data), LocalFileRecord::fromJson);
    } catch (const DecodingError& error) {
        throw error.readFrom(path);
    }
}

// The date as the file keeps it, in whole seconds.
void dropFraction(QDateTime& date)
{
    const qint64 milliseconds = date.toMSecsSinceEpoch();
    const qint64 fraction = milliseconds % 1000;
    if (fraction != 0)
        date = QDateTime::fromMSecsSinceEpoch(milliseconds - (fraction < 0 ? fraction + 1000 : fraction), Qt::UTC);
}

// The record as reading the file back gives it.
void makeAsStored(LocalFileRecord& record)
{
    dropFraction(record.modifiedAt);
    dropFraction(record.createdAt);
    dropFraction(record.lastOpenedAt);
}

} // namespace

QList<LocalFileRecord> JSONLocalStateStore::loadRecords() const
{
    const QString path = stateURL_.toLocalFile();
    // Taken before reading: should the file change in between, the next load
    // sees a different identity and reads it again.
    const std::optional<FileIdentity> identity = identityOf(path);
    if (!identity) {
        lastDecoded_.reset();
        return {};
    }
    if (!lastDecoded_ || lastDecoded_->identity != *identity)
        lastDecoded_ = DecodedFile{*identity, decodeFile(path)};
    return lastDecoded_->records;
}

void JSONLocalStateStore::saveRecords(const QList<LocalFileRecord>& records)
{
    const QString path = stateURL_.toLocalFile();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw FileError(FileError::Kind::writeFailed, folder, QStringLiteral("the folder could not be created"));

    QList<LocalFileRecord> sorted = records;
    sortNewestFirst(sorted);
    JsonWriter writer;
    writer.beginArray();
    for (const LocalFileRecord& record : sorted)
        record.writeJson(writer);
    writer.endArray();

    QSaveFile file(path);
    lastDecoded_.reset();
    if (!file.open(QIODevice::WriteOnly) || file.write(writer.bytes().data(), writer.bytes().size()) < 0
        || !file.commit())
        throw FileError(FileError::Kind::writeFailed, path, file.errorString());

    // Remember what was written as a load would decode it, unless a load could
    // not: an invalid URL makes the file unreadable, and that must show.
    const bool readsBack = std::all_of(sorted.cbegin(), sorted.cend(),
                                       [](const LocalFileRecord& record) { return record.openURL.isValid(); });
    const std::optional<FileIdentity> identity = identityOf(path);
    if (readsBack && identity) {
        std::for_each(sorted.begin(), sorted.end(), makeAsStored);
        lastDecoded_ = DecodedFile{*identity, std::move(sorted)};
    }
}

} // namespace orvane
