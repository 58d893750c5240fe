// The two ways a file reaches Orvane, timed until Orvane hands the Google page
// to the browser (its "Opening in the browser" activity line):
//   cold start: `orvane FILE` with no Orvane running, for an unchanged 1 MB
//               file whose Google file is reused;
//   hand-over:  `orvane FILE` while Orvane runs; the running one opens it.
// Both on an X server of their own, against the local Google emulator, signed
// in once before the runs. Run it in a D-Bus session with a keyring:
//
//   scripts/with-test-services build/release/bench/launch_bench [RUNS]   (default 15)

#include "GoogleEmulatorProcess.h"
#include "OrvaneDesktop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

const QString browserCall = u"Opening in the browser:"_s;

struct Timings {
    std::vector<double> milliseconds;

    double median()
    {
        std::ranges::sort(milliseconds);
        const size_t middle = milliseconds.size() / 2;
        return milliseconds.size() % 2 ? milliseconds[middle] : (milliseconds[middle - 1] + milliseconds[middle]) / 2;
    }
    void print(const char* name)
    {
        const double middle = median();
        std::printf("%-11s median %6.1f ms, min %6.1f ms, max %6.1f ms (%zu runs)\n", name, middle,
                    milliseconds.front(), milliseconds.back(), milliseconds.size());
    }
};

double millisecondsSince(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 15;
    if (qEnvironmentVariable("ORVANE_TEST_SERVICES_READY") != u"1"_s)
        qFatal("run it through scripts/with-test-services: Orvane keeps its sign-in in the keyring");

    orvane::testsupport::GoogleEmulatorProcess emulator;
    OrvaneDesktop desktop(emulator.rootUrl(), emulator.clientId());
    desktop.completeOnboarding();
    QByteArray content(1'000'000, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(content.data()), content.size() / 4);
    const QString file = desktop.writeFile(u"figures.csv"_s, content);

    // Each run starts from an idle desktop: the browser (xdg-open and the
    // recording script) has taken the previous page.
    auto settle = [&desktop, pages = qsizetype(0)](qsizetype newPages = 1) mutable {
        pages += newPages;
        if (desktop.waitForBrowserCalls(pages).size() != pages)
            qFatal("the browser did not get page %lld", qlonglong(pages));
    };

    // Signs in, uploads, records the file; a second run finds it reused.
    for (const char* expected : {"Status: Uploaded and opened", "Status: Opened existing Google file"}) {
        const auto warmUp = desktop.start({file});
        if (!warmUp->waitForLine(QString::fromLatin1(expected)) || warmUp->waitForExit() != 0)
            qFatal("the warm-up open failed:\n%s", qPrintable(warmUp->output()));
        settle(warmUp->countLines(browserCall));
    }

    Timings coldStart;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const auto orvane = desktop.start({file});
        if (!orvane->waitForLine(browserCall))
            qFatal("no page reached the browser:\n%s", qPrintable(orvane->output()));
        coldStart.milliseconds.push_back(millisecondsSince(timer));
        if (orvane->waitForExit() != 0)
            qFatal("orvane failed:\n%s", qPrintable(orvane->output()));
        settle();
    }

    Timings handOver;
    Timings handingOverProcess;
    const auto running = desktop.start();
    if (!running->waitForLine(u"Showing window: Orvane"_s))
        qFatal("orvane did not start:\n%s", qPrintable(running->output()));
    for (int run = 0; run < runs; ++run) {
        const qsizetype pagesBefore = running->countLines(browserCall);
        QElapsedTimer timer;
        timer.start();
        const auto later = desktop.start({file});
        if (!running->waitForLines(browserCall, pagesBefore + 1))
            qFatal("the handed-over file reached no browser:\n%s", qPrintable(running->output()));
        handOver.milliseconds.push_back(millisecondsSince(timer));
        if (later->waitForExit() != 0)
            qFatal("the later orvane failed:\n%s", qPrintable(later->output()));
        handingOverProcess.milliseconds.push_back(millisecondsSince(timer));
        settle();
    }

    coldStart.print("cold start");
    handOver.print("hand-over");
    // Includes the wait for its exit status, so it ends after the page.
    handingOverProcess.print("  its exit");
    return 0;
}
