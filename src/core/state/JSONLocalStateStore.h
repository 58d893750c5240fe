#pragma once

#include "state/LocalStateStore.h"

#include <QUrl>

#include <optional>

namespace orvane {

// The records in one JSON file, local-state.json: a compact array, newest
// first, rewritten whole and atomically on every save. A missing file is an
// empty list; a corrupt one fails every load and is never touched.
//
// Every load looks at the file; it decodes it again only when the file is not
// the one this store last read or wrote (device, inode, size and times), so
// that an open among thousands of records stays quick while any change made
// on disk is still seen.
class JSONLocalStateStore final : public LocalStateStoring {
public:
    explicit JSONLocalStateStore(QUrl stateURL) : stateURL_(std::move(stateURL)) {}

    const QUrl& stateURL() const { return stateURL_; }

    // Throws FileError when the file cannot be read, DecodingError naming the
    // file when it is not a valid record list.
    QList<LocalFileRecord> loadRecords() const override;
    // Creates the folder chain on first use. Throws FileError; the previous
    // file stays intact on failure.
    void saveRecords(const QList<LocalFileRecord>& records) override;

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

    QUrl stateURL_;
    mutable std::optional<DecodedFile> lastDecoded_;
};

} // namespace orvane
