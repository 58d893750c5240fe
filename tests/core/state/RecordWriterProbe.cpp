// Another Orvane process at work on the same state file, for the store's
// cross-process tests:
//   STATE write COUNT PREFIX   adds COUNT records, PREFIX0.csv, PREFIX1.csv, ...,
//                              one upsert each, as COUNT opens would
//   STATE hold                 takes the file's lock, prints "holding" and
//                              waits until it is killed

#include "state/JSONLocalStateStore.h"
#include "SampleRecords.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

using namespace orvane;

int main(int argc, char** argv)
{
    const QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3)
        return 2;
    JSONLocalStateStore store(QUrl::fromLocalFile(arguments.at(1)));
    try {
        if (arguments.at(2) == QLatin1String("hold")) {
            store.changeRecords([](QList<LocalFileRecord>&) {
                std::puts("holding");
                std::fflush(stdout);
                for (;;)
                    QThread::sleep(60);
            });
        } else if (arguments.at(2) == QLatin1String("write") && arguments.size() == 5) {
            const int count = arguments.at(3).toInt();
            for (int index = 0; index < count; ++index) {
                const QString path = arguments.at(4) + QString::number(index) + QStringLiteral(".csv");
                store.upsertRecord(testsupport::sampleRecord(path, QDateTime::currentDateTimeUtc()));
            }
        } else {
            return 2;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
