// One reuse lookup plus one upsert, as every open does, against a state file
// of 10,000 records.
//
//   state_store_bench [--benchmark_repetitions=N]

#include "JSONLocalStateStore.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace orvane;

namespace {

LocalFileRecord record(int index, const QDateTime& base)
{
    const QString id = QStringLiteral("1%1").arg(index, 32, 10, QLatin1Char('0'));
    return {
        .id = QUuid::createUuid(),
        .localFilePath = QStringLiteral("/home/aki/Documents/Projects/Quarterly report %1.xlsx").arg(index),
        .fileExtension = QStringLiteral("xlsx"),
        .fileSize = 48'000 + index,
        .modifiedAt = base.addSecs(-index * 60),
        .sha256 = QStringLiteral("%1").arg(index, 64, 16, QLatin1Char('0')),
        .googleDriveFileID = id,
        .openURL = QUrl(QStringLiteral("https://docs.google.com/spreadsheets/d/%1/edit").arg(id)),
        .openMode = OpenMode::googleFormat,
        .destinationFolderName = QStringLiteral("Sheets"),
        .createdAt = base.addSecs(-index * 60),
        .lastOpenedAt = base.addSecs(-index * 60),
    };
}

void reuseLookupAndUpsert(benchmark::State& state)
{
    QTemporaryDir folder;
    JSONLocalStateStore store(QUrl::fromLocalFile(folder.filePath(QStringLiteral("local-state.json"))));
    const QDateTime base(QDate(2025, 6, 1), QTime(12, 0), Qt::UTC);
    QList<LocalFileRecord> records;
    for (int index = 0; index < state.range(0); ++index)
        records.append(record(index, base));
    store.saveRecords(records);
    const LocalFileSnapshot wanted = records[records.size() / 2].snapshot();

    int opened = 0;
    for (auto _ : state) {
        std::optional<LocalFileRecord> found = store.reusableRecord(wanted, OpenMode::googleFormat);
        if (!found)
            state.SkipWithError("no reusable record");
        found->lastOpenedAt = base.addSecs(++opened);
        store.upsertRecord(*found);
    }
}

} // namespace

BENCHMARK(reuseLookupAndUpsert)->Arg(10'000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
