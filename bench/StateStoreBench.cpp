// One reuse lookup plus one upsert, as every open does, against a state file
// of 10,000 records.
//
//   state_store_bench [--benchmark_repetitions=N]

#include "state/JSONLocalStateStore.h"

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

const QDateTime base(QDate(2025, 6, 1), QTime(12, 0), Qt::UTC);

QList<LocalFileRecord> records(qsizetype count)
{
    QList<LocalFileRecord> list;
    for (int index = 0; index < count; ++index)
        list.append(record(index, base));
    return list;
}

void reuseLookupAndUpsert(benchmark::State& state)
{
    QTemporaryDir folder;
    JSONLocalStateStore store(QUrl::fromLocalFile(folder.filePath(QStringLiteral("local-state.json"))));
    store.saveRecords(records(state.range(0)));
    const LocalFileSnapshot wanted = store.loadRecords()[state.range(0) / 2].snapshot();

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

// The parts on their own: reading and decoding the whole file, and writing it.
void loadRecords(benchmark::State& state)
{
    QTemporaryDir folder;
    const QUrl stateURL = QUrl::fromLocalFile(folder.filePath(QStringLiteral("local-state.json")));
    JSONLocalStateStore(stateURL).saveRecords(records(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(JSONLocalStateStore(stateURL).loadRecords());
}

void saveRecords(benchmark::State& state)
{
    QTemporaryDir folder;
    JSONLocalStateStore store(QUrl::fromLocalFile(folder.filePath(QStringLiteral("local-state.json"))));
    const QList<LocalFileRecord> list = records(state.range(0));
    for (auto _ : state)
        store.saveRecords(list);
}

BENCHMARK(loadRecords)->Arg(10'000)->Unit(benchmark::kMillisecond);
BENCHMARK(saveRecords)->Arg(10'000)->Unit(benchmark::kMillisecond);
BENCHMARK(reuseLookupAndUpsert)->Arg(10'000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
