// Soak: files handed one after another to one running Orvane, each a new
// CSV file that it uploads, records and opens; then every file must be on
// Drive exactly once and in the state file, and the resident memory of the
// running Orvane may grow by less than 10 MiB from file 100 to the last.
// On an X server of its own, against the local Google emulator, in a D-Bus
// session with a keyring:
//
//   scripts/with-test-services build/release/bench/soak_bench [FILES]   (default 1000)

#include "GoogleEmulatorProcess.h"
#include "OrvaneDesktop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cstdio>

using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype firstMeasuredFile = 100;
constexpr double growthLimitMiB = 10;
const QString uploaded = u"Status: Uploaded and opened"_s;
const QString browserCall = u"Opening in the browser:"_s;

// The process's resident set, from the kernel's own account.
double residentMiB(qint64 pid)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        qFatal("cannot read the memory of process %lld", pid);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    qFatal("no VmRSS for process %lld", pid);
}

QSet<QString> recordedPaths(const QString& stateFile)
{
    QSet<QString> paths;
    for (const QJsonValue& record : QJsonDocument::fromJson(readFile(stateFile)).array())
        paths.insert(record.toObject().value("localFilePath"_L1).toString());
    return paths;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const qsizetype files = argc > 1 ? std::max<qsizetype>(firstMeasuredFile, QByteArray(argv[1]).toInt()) : 1000;
    if (qEnvironmentVariable("ORVANE_TEST_SERVICES_READY") != u"1"_s)
        qFatal("run it through scripts/with-test-services: Orvane keeps its sign-in in the keyring");

    GoogleEmulatorProcess emulator;
    OrvaneDesktop desktop(emulator.rootUrl(), emulator.clientId());
    desktop.completeOnboarding();
    const auto running = desktop.start();
    if (!running->waitForLine(u"Showing window: Orvane"_s))
        qFatal("orvane did not start:\n%s", qPrintable(running->output()));

    QSet<QString> paths;
    double residentAtFirstMeasured = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    for (qsizetype file = 1; file <= files; ++file) {
        const QString path = desktop.writeFile(u"soak-%1.csv"_s.arg(qlonglong(file), 4, 10, QLatin1Char('0')),
                                               "file,row\n" + QByteArray::number(file) + ",1\n");
        paths.insert(path);
        const auto later = desktop.start({path});
        if (!running->waitForLines(uploaded, file))
            qFatal("file %lld was not uploaded:\n%s", qlonglong(file), qPrintable(running->lines().mid(running->lines().size() - 20).join(u'\n')));
        if (later->waitForExit() != 0)
            qFatal("the orvane that handed file %lld over failed:\n%s", qlonglong(file), qPrintable(later->output()));
        // The browser has its page before the next file, as a user's would.
        if (desktop.waitForBrowserCalls(running->countLines(browserCall)).size() != running->countLines(browserCall))
            qFatal("the browser did not get the page of file %lld", qlonglong(file));
        if (file == firstMeasuredFile)
            residentAtFirstMeasured = residentMiB(running->processId());
        if (file % 100 == 0)
            std::printf("file %4lld: resident %.1f MiB, %.1f s\n", qlonglong(file), residentMiB(running->processId()),
                        double(elapsed.elapsed()) / 1000);
    }
    const double residentAtLast = residentMiB(running->processId());

    QMap<QString, int> onDrive;
    for (const EmulatedDriveItem& item : emulator.files())
        if (!item.isFolder())
            ++onDrive[item.name];
    // Each upload opens one session.
    const qsizetype uploads = emulator.requests(u"/upload/drive/v3/files"_s, "POST").size();
    const bool eachOnce = uploads == files && onDrive.size() == files
        && std::all_of(onDrive.cbegin(), onDrive.cend(), [](int count) { return count == 1; });
    const bool allRecorded = recordedPaths(desktop.stateFilePath()) == paths;
    const double growth = residentAtLast - residentAtFirstMeasured;

    std::printf("%lld files in %.1f s (%.0f ms each); %lld upload sessions, %lld files on Drive, each once: %s; "
                "all recorded: %s\n",
                qlonglong(files), double(elapsed.elapsed()) / 1000, double(elapsed.elapsed()) / double(files),
                qlonglong(uploads), qlonglong(onDrive.size()), eachOnce ? "yes" : "NO", allRecorded ? "yes" : "NO");
    std::printf("resident memory: %.1f MiB at file %lld, %.1f MiB at file %lld: %+.1f MiB (limit %+.0f MiB)\n",
                residentAtFirstMeasured, qlonglong(firstMeasuredFile), residentAtLast, qlonglong(files), growth,
                growthLimitMiB);
    return eachOnce && allRecorded && growth < growthLimitMiB ? 0 : 1;
}
