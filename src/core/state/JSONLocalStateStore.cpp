#include "state/JSONLocalStateStore.h"

#include "state/FileLock.h"
#include "state/PrivateFolders.h"
#include "state/UnreadableStateFileError.h"
#include "state/UnstorableRecordError.h"
#include "support/AtomicFileWrite.h"
#include "support/DecodingError.h"
#include "support/FileError.h"
#include "support/JsonDecoding.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

using namespace Qt::StringLiterals;

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
        throw FileError(FileError::Kind::notReadable, path, FileError::systemReason(errno));
    }
    // A pipe in its place would hold the load until something wrote to it.
    if (!S_ISREG(status.st_mode))
        throw FileError(FileError::Kind::notReadable, path, FileError::kindOfNonRegularFile(status.st_mode));
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
        return JSONLocalStateStore::decoded(data);
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

// Refused before anything is written: the reader would reject such a record,
// and with it the whole file at every later load.
void requireReadableBack(const LocalFileRecord& record)
{
    const std::pair<const QDateTime&, QLatin1StringView> dates[] = {
        {record.modifiedAt, "modification"_L1},
        {record.createdAt, "creation"_L1},
        {record.lastOpenedAt, "last-opened"_L1},
    };
    for (const auto& [date, name] : dates) {
        if (!JsonWriter::canWrite(date))
            throw UnstorableRecordError(record.localFilePath,
                                        u"its %1 date lies outside the years 1 to 9999"_s.arg(name));
    }
    if (!record.openURL.isValid() || record.openURL.isEmpty())
        throw UnstorableRecordError(record.localFilePath, u"its Google page address is not a valid URL"_s);
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
    try {
        return readRecords();
    } catch (const FileError& error) {
        throw UnreadableStateFileError(stateURL_.toLocalFile(), error.localizedDescription());
    } catch (const DecodingError& error) {
        throw UnreadableStateFileError(stateURL_.toLocalFile(), error.localizedDescription());
    }
}

QList<LocalFileRecord> JSONLocalStateStore::readRecords() const
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
    const FileLock lock = lockStateFile();
    writeRecords(records);
}

void JSONLocalStateStore::changeRecords(const std::function<void(QList<LocalFileRecord>&)>& change)
{
    const FileLock lock = lockStateFile();
    QList<LocalFileRecord> records = loadRecords();
    change(records);
    writeRecords(records);
}

void JSONLocalStateStore::requireSavable() const
{
    const QString path = stateURL_.toLocalFile();
    const QString folder = QFileInfo(path).absolutePath();
    createPrivateFolders(folder);
    // The new file is made beside the old one and renamed over it.
    if (::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        throw FileError(FileError::Kind::writeFailed, path, FileError::systemReason(errno));
    const QFileInfo file(path);
    if (file.isSymLink() && !file.exists())
        throw FileError(FileError::Kind::writeFailed, path,
                        u"it is a link to \u201C%1\u201D, which does not exist"_s.arg(file.symLinkTarget()));
    // Taken and let go: a lock another process keeps would keep the save out too.
    const FileLock lock = lockStateFile();
}

FileLock JSONLocalStateStore::lockStateFile() const
{
    const QString path = stateURL_.toLocalFile();
    createPrivateFolders(QFileInfo(path).absolutePath());
    return FileLock(path + QStringLiteral(".lock"), lockTimeout);
}

QByteArray JSONLocalStateStore::encoded(const QList<LocalFileRecord>& records)
{
    QList<LocalFileRecord> sorted = records;
    sortNewestFirst(sorted);
    JsonWriter writer;
    writer.beginArray();
    for (const LocalFileRecord& record : sorted) {
        requireReadableBack(record);
        record.writeJson(writer);
    }
    writer.endArray();
    return writer.bytes().toByteArray();
}

QList<LocalFileRecord> JSONLocalStateStore::decoded(const QByteArray& contents)
{
    return json::decodeArray(json::parseArray(contents), LocalFileRecord::fromJson);
}

void JSONLocalStateStore::writeRecords(const QList<LocalFileRecord>& records)
{
    const QString path = stateURL_.toLocalFile();
    const QByteArray contents = encoded(records);

    lastDecoded_.reset();
    // Private whatever the file was before: it holds local paths and Drive file IDs.
    writeFileAtomically(path, contents, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // Remember what was written as a load would decode it.
    if (const std::optional<FileIdentity> identity = identityOf(path)) {
        QList<LocalFileRecord> stored = records;
        sortNewestFirst(stored);
        std::for_each(stored.begin(), stored.end(), makeAsStored);
        lastDecoded_ = DecodedFile{*identity, std::move(stored)};
    }
}

} // namespace orvane
