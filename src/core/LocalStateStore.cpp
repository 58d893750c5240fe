#include "LocalStateStore.h"

#include <algorithm>

namespace orvane {

void sortNewestFirst(QList<LocalFileRecord>& records)
{
    std::stable_sort(records.begin(), records.end(), [](const LocalFileRecord& a, const LocalFileRecord& b) {
        return a.lastOpenedAt > b.lastOpenedAt;
    });
}

QList<LocalFileRecord> LocalStateStoring::recentRecords(qsizetype limit) const
{
    Q_ASSERT(limit >= 0);
    QList<LocalFileRecord> records = loadRecords();
    sortNewestFirst(records);
    records.resize(std::min(records.size(), std::max<qsizetype>(limit, 0)));
    return records;
}

std::optional<LocalFileRecord> LocalStateStoring::reusableRecord(const LocalFileSnapshot& snapshot, OpenMode mode) const
{
    std::optional<LocalFileRecord> newest;
    for (const LocalFileRecord& record : loadRecords()) {
        // Strictly newer only, so that among equal times the first stored wins.
        if (record.isReusable(snapshot, mode) && (!newest || record.lastOpenedAt > newest->lastOpenedAt))
            newest = record;
    }
    return newest;
}

void LocalStateStoring::upsertRecord(const LocalFileRecord& record)
{
    QList<LocalFileRecord> records = loadRecords();
    const auto stored = std::find_if(records.begin(), records.end(),
                                     [&](const LocalFileRecord& candidate) { return candidate.id == record.id; });
    if (stored != records.end())
        *stored = record;
    else
        records.append(record);
    saveRecords(records);
}

} // namespace orvane
