#pragma once

#include "state/LocalStateStore.h"

#include "state/FileLock.h"

#include <QUrl>

#include <chrono>
#include <optional>

namespace orvane {

// The records in one JSON file, local-state.json: a compact array, newest
// first, rewritten whole and atomically on every save, readable by the user
// alone. A missing file is an empty list; a corrupt one fails every load and
// is never touched. Saves and changes hold a lock file beside it, so that
// two Orvane processes of one user never drop each other's records. A save
// that returned survives the process being killed and the power failing.
//
// Every load looks at the file; it decodes it again only when the file is not
// the one this store last read or wrote (device, inode, size and times), so
// that an open among thousands of records stays quick while any change made
// on disk is still seen.
class JSONLocalStateStore final : public LocalStateStoring {
public:
    explicit JSONLocalStateStore(QUrl stateURL) : stateURL_(std::move(stateURL)) {}

    const QUrl& stateURL() const { return stateURL_; }

    // Throws UnreadableStateFileError when the file cannot be read (a
    // FileError's reason) or is not a valid record list (a DecodingError's).
    QList<LocalFileRecord> loadRecords() const override;
    // Creates the folder chain on first use, each new folder private. Throws
    // UnstorableRecordError, before writing, for a record the reader would
    // reject, and FileError; the previous file stays intact on failure.
    void saveRecords(const QList<LocalFileRecord>& records) override;
    // Load, change and save under the lock.
    void changeRecords(const std::function<void(QList<LocalFileRecord>&)>& change) override;
    // Throws FileError naming the state file when its folder cannot be made
    // or written to, when the file is a link to nothing, or when the lock
    // cannot be had. A full disk shows only when the save itself is made.
    void requireSavable() const override;

    // The file's contents for these records, as a save writes them: newest
    // first. Throws UnstorableRecordError for a record the reader would reject.
    static QByteArray encoded(const QList<LocalFileRecord>& records);
    // The records of the file's contents, as a load reads them. Throws DecodingError.
    static QList<LocalFileRecord> decoded(const QByteArray& contents);

    // How long a save waits for another process's change to end.
    static constexpr std::chrono::milliseconds lockTimeout{5000};

    // Which file on disk, in which state; equal identities mean unchanged content.
    struct FileIdentity {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNanoseconds = 0;
        qint64 changedNanoseconds = 0;

        bool operator==(const FileIdentity&) const = default;
    };

private:
    struct DecodedFile {
        FileIdentity identity;
        QList<LocalFileRecord> records;
    };

    // Creates the folders the lock file needs. Throws FileError when the lock
    // cannot be had within lockTimeout.
    FileLock lockStateFile() const;
    // loadRecords, with the read's own errors.
    QList<LocalFileRecord> readRecords() const;
    void writeRecords(const QList<LocalFileRecord>& records);

    QUrl stateURL_;
    mutable std::optional<DecodedFile> lastDecoded_;
};

} // namespace orvane
