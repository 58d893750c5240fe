// Hashes one large file with SHA256FileHasher and with `openssl dgst -sha256`
// in the same run, alternating, and reports the best throughput of each, their
// ratio, and the process's peak resident memory.
//
//   hash_throughput_bench [FILE]      (default: a 1 GiB temporary file)

#include "state/SHA256FileHasher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

using namespace orvane;

namespace {

constexpr qint64 defaultSize = qint64(1) << 30;

QString writeRandomFile(const QString& path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (qint64 written = 0; written < size; written += chunk.size()) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(chunk.data()), chunk.size() / 4);
        file.write(chunk);
    }
    return path;
}

double secondsFor(auto work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

QString opensslDigest(const QString& path)
{
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"), {QStringLiteral("dgst"), QStringLiteral("-sha256"), QStringLiteral("-r"), path});
    openssl.waitForFinished(-1);
    return QString::fromLatin1(openssl.readAllStandardOutput().left(64));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir folder;
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : writeRandomFile(folder.filePath(QStringLiteral("bench.bin")), defaultSize);
    const double megabytes = QFile(path).size() / 1e6;

    QString ours, theirs;
    double bestOurs = 1e9, bestOpenssl = 1e9;
    for (int round = 0; round < 3; ++round) {
        bestOpenssl = std::min(bestOpenssl, secondsFor([&] { theirs = opensslDigest(path); }));
        bestOurs = std::min(bestOurs, secondsFor([&] { ours = SHA256FileHasher::hash(QUrl::fromLocalFile(path)); }));
    }
    if (ours != theirs)
        qFatal("digests differ: %s vs %s", qPrintable(ours), qPrintable(theirs));

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("file: %.0f MB\n", megabytes);
    std::printf("SHA256FileHasher: %.0f MB/s\n", megabytes / bestOurs);
    std::printf("openssl dgst:     %.0f MB/s\n", megabytes / bestOpenssl);
    std::printf("ratio:            %.2f\n", bestOpenssl / bestOurs);
    std::printf("peak RSS:         %.1f MiB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
