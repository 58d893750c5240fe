#include "state/LocalStateStore.h"

#include <algorithm>
#include <vector>

namespace orvane {

void sortNewestFirst(QList<LocalFileRecord>& records)
{
    // Sorted by a key taken once per record: comparing QDateTimes directly
    // converts both on every comparison.
    std::vector<std::pair<qint64, qsizetype>> order;
    order.reserve(size_t(records.size()));
    for (qsizetype index = 0; index < records.size(); ++index)
        order.emplace_back(records[index].lastOpenedAt.toMSecsSinceEpoch(), index);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    if (std::is_sorted(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.second < b.second; }))
        return;
    QList<LocalFileRecord> sorted;
    sorted.reserve(records.size());
    for (const auto& [key, index] : order)
        sorted.append(std::move(records[index]));
    records = std::move(sorted);
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

void LocalStateStoring::changeRecords(const std::function<void(QList<LocalFileRecord>&)>& change)
{
    QList<LocalFileRecord> records = loadRecords();
    change(records);
    saveRecords(records);
}

void LocalStateStoring::upsertRecord(const LocalFileRecord& record)
{
    changeRecords([&record](QList<LocalFileRecord>& records) {
        const auto stored = std::find_if(records.begin(), records.end(),
                                         [&](const LocalFileRecord& candidate) { return candidate.id == record.id; });
        if (stored != records.end())
            *stored = record;
        else
            records.append(record);
    });
}

} // namespace orvane
