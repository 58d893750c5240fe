#pragma once

#include "state/LocalFileRecord.h"

#include <QList>

#include <functional>
#include <optional>

namespace orvane {

// Where the records live. Implementations load and save the whole list; the
// operations on top are the same for every store. Within a process callers
// run one store operation at a time; a store shared between processes keeps
// each change whole by making changeRecords exclusive.
class LocalStateStoring {
public:
    virtual ~LocalStateStoring() = default;

    virtual QList<LocalFileRecord> loadRecords() const = 0;
    virtual void saveRecords(const QList<LocalFileRecord>& records) = 0;
    // Loads the records, lets change edit them and saves the result, with no
    // other change in between.
    virtual void changeRecords(const std::function<void(QList<LocalFileRecord>&)>& change);
    // Throws, with the reason, when a save could not be made now, so that
    // work a record would remember (an upload) is not done in vain. Records
    // in memory can always be saved.
    virtual void requireSavable() const {}

    // The first `limit` records by lastOpenedAt, newest first; ties keep their stored order.
    QList<LocalFileRecord> recentRecords(qsizetype limit) const;
    // The most recently opened record that may stand for this snapshot in this mode.
    std::optional<LocalFileRecord> reusableRecord(const LocalFileSnapshot& snapshot, OpenMode mode) const;
    // Replaces the record with the same id in place, or appends it.
    void upsertRecord(const LocalFileRecord& record);
};

// Records in memory, for tests and for callers that need no persistence.
class InMemoryLocalStateStore final : public LocalStateStoring {
public:
    explicit InMemoryLocalStateStore(QList<LocalFileRecord> records = {}) : records(std::move(records)) {}

    QList<LocalFileRecord> loadRecords() const override { return records; }
    void saveRecords(const QList<LocalFileRecord>& newRecords) override { records = newRecords; }

    QList<LocalFileRecord> records;
};

// Stable ordering by lastOpenedAt, newest first.
void sortNewestFirst(QList<LocalFileRecord>& records);

} // namespace orvane
