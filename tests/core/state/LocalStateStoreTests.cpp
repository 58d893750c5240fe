#include "state/LocalStateStore.h"
#include "SampleRecords.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

QList<QUuid> ids(const QList<LocalFileRecord>& records)
{
    QList<QUuid> result;
    for (const LocalFileRecord& record : records)
        result.append(record.id);
    return result;
}

} // namespace

TEST(LocalStateStore, RecentRecordsAreNewestFirstWithTiesInStoredOrder)
{
    const LocalFileRecord ten = sampleRecord(u"/a.csv"_s, utc("2025-02-01T10:00:00Z"));
    const LocalFileRecord twelve = sampleRecord(u"/b.csv"_s, utc("2025-02-01T12:00:00Z"));
    const LocalFileRecord elevenFirst = sampleRecord(u"/c.csv"_s, utc("2025-02-01T11:00:00Z"));
    const LocalFileRecord elevenSecond = sampleRecord(u"/c.csv"_s, utc("2025-02-01T11:00:00Z"));
    const InMemoryLocalStateStore store({ten, elevenFirst, twelve, elevenSecond});

    EXPECT_EQ(ids(store.recentRecords(12)), (QList{twelve.id, elevenFirst.id, elevenSecond.id, ten.id}));
    EXPECT_EQ(ids(store.recentRecords(2)), (QList{twelve.id, elevenFirst.id}));
    EXPECT_TRUE(store.recentRecords(0).isEmpty());
    EXPECT_EQ(ids(store.records), (QList{ten.id, elevenFirst.id, twelve.id, elevenSecond.id}));
}

TEST(LocalStateStore, UpsertReplacesInPlaceOrAppends)
{
    const LocalFileRecord a = sampleRecord(u"/a.csv"_s, utc("2025-02-01T10:00:00Z"));
    const LocalFileRecord b = sampleRecord(u"/b.csv"_s, utc("2025-02-01T11:00:00Z"));
    const LocalFileRecord c = sampleRecord(u"/c.csv"_s, utc("2025-02-01T12:00:00Z"));
    InMemoryLocalStateStore store({a, b, c});

    LocalFileRecord reopened = a;
    reopened.lastOpenedAt = utc("2025-03-01T00:00:00Z");
    store.upsertRecord(reopened);
    EXPECT_EQ(store.records, (QList{reopened, b, c}));

    const LocalFileRecord d = sampleRecord(u"/d.csv"_s, utc("2025-01-01T00:00:00Z"));
    store.upsertRecord(d);
    EXPECT_EQ(store.records, (QList{reopened, b, c, d}));
}

TEST(LocalStateStore, ReusableRecordPrefersTheMostRecentlyOpenedMatch)
{
    const LocalFileRecord older = sampleRecord(u"/a.csv"_s, utc("2025-02-01T10:00:00Z"));
    const LocalFileRecord newer = sampleRecord(u"/a.csv"_s, utc("2025-02-02T10:00:00Z"));
    const LocalFileRecord newerTwin = sampleRecord(u"/a.csv"_s, utc("2025-02-02T10:00:00Z"));
    const LocalFileRecord otherFile = sampleRecord(u"/b.csv"_s, utc("2025-02-03T10:00:00Z"));
    const InMemoryLocalStateStore store({older, otherFile, newer, newerTwin});

    EXPECT_EQ(store.reusableRecord(older.snapshot(), OpenMode::googleFormat), newer);
    EXPECT_EQ(store.reusableRecord(older.snapshot(), OpenMode::officePreserved), std::nullopt);

    LocalFileSnapshot changed = older.snapshot();
    changed.sha256 = u"cd"_s.repeated(32);
    EXPECT_EQ(store.reusableRecord(changed, OpenMode::googleFormat), std::nullopt);
}

TEST(LocalFileRecord, ReuseNeedsTheSameModeAndAMatchingSnapshot)
{
    LocalFileRecord record = sampleRecord(u"/a.xlsx"_s, utc("2025-02-01T10:00:00Z"));
    record.openMode = OpenMode::officePreserved;
    EXPECT_TRUE(record.isReusable(record.snapshot(), OpenMode::officePreserved));
    EXPECT_FALSE(record.isReusable(record.snapshot(), OpenMode::googleFormat));
    EXPECT_EQ(record.snapshot(), (LocalFileSnapshot{record.localFilePath, record.fileExtension, record.fileSize,
                                                    record.modifiedAt, record.sha256}));
}
