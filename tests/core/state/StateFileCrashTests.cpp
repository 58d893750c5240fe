#include "state/JSONLocalStateStore.h"
#include "SampleRecords.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

constexpr int kills = 200;

QString recordPath(int round, int save)
{
    return u"/round%1/%2.csv"_s.arg(round).arg(save);
}

// What the child tells of each save: that it begins, and that it returned.
struct SaveReport {
    int save;
    bool returned;
};

// A child that saves one new record after another, as opens would, and
// reports each save to the pipe.
[[noreturn]] void saveUntilKilled(const QString& statePath, int round, int reportPipe)
{
    JSONLocalStateStore store(QUrl::fromLocalFile(statePath));
    for (int save = 0;; ++save) {
        const SaveReport begins{save, false};
        if (::write(reportPipe, &begins, sizeof begins) != sizeof begins)
            ::_exit(1);
        try {
            store.upsertRecord(sampleRecord(recordPath(round, save), QDateTime::currentDateTimeUtc()));
        } catch (const std::exception& error) {
            std::fprintf(stderr, "the writer's save failed: %s\n", error.what());
            ::_exit(1);
        }
        const SaveReport returned{save, true};
        if (::write(reportPipe, &returned, sizeof returned) != sizeof returned)
            ::_exit(1);
    }
}

// What the child reported before it died: how many saves returned, and
// whether it was killed inside a save.
struct Reports {
    int returnedSaves = 0;
    bool killedInsideASave = false;
};

Reports readReports(int reportPipe)
{
    Reports reports;
    SaveReport report{};
    while (::read(reportPipe, &report, sizeof report) == sizeof report) {
        reports.returnedSaves = report.returned ? report.save + 1 : report.save;
        reports.killedInsideASave = !report.returned;
    }
    return reports;
}

} // namespace

TEST(StateFileCrash, AWriterKilledAtAnyMomentLeavesAFileThatLoadsHoldsEverySaveThatReturnedAndTakesTheNextSave)
{
    QTemporaryDir home;
    const QString statePath = home.filePath(u"Orvane/local-state.json"_s);
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    SCOPED_TRACE(testing::Message() << "random seed " << seed);

    QSet<QString> returned;
    int killsInsideASave = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    for (int round = 0; round < kills; ++round) {
        int report[2];
        ASSERT_EQ(::pipe(report), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(report[0]);
            saveUntilKilled(statePath, round, report[1]);
        }
        ::close(report[1]);
        // A save here takes some milliseconds, most of them waiting for the
        // disk: the kill lands before, inside and between saves.
        std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(15000)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself in round " << round;
        const Reports reports = readReports(report[0]);
        ::close(report[0]);
        for (int save = 0; save < reports.returnedSaves; ++save)
            returned.insert(recordPath(round, save));
        killsInsideASave += reports.killedInsideASave;

        // As the next start does: load, then save a record of its own.
        JSONLocalStateStore nextStart(QUrl::fromLocalFile(statePath));
        const QString nextPath = u"/next-start/%1.csv"_s.arg(round);
        try {
            QSet<QString> loaded;
            for (const LocalFileRecord& record : nextStart.loadRecords())
                loaded.insert(record.localFilePath);
            ASSERT_TRUE(loaded.contains(returned)) << "round " << round << ": a record whose save returned is gone";
            nextStart.upsertRecord(sampleRecord(nextPath, QDateTime::currentDateTimeUtc()));
            returned.insert(nextPath);
        } catch (const std::exception& error) {
            FAIL() << "round " << round << ", after the kill: " << error.what();
        }
    }
    EXPECT_GT(killsInsideASave, kills / 10) << "too few kills landed inside a save to show anything";
    std::printf("%d kills, %d of them inside a save, %lld records saved, %lld ms\n", kills, killsInsideASave,
                qlonglong(returned.size()), qlonglong(elapsed.elapsed()));
}
