// Uploads one large file to the local Google emulator with GoogleDriveClient,
// through its resumable path, then sends the same bytes with curl to the same
// emulator (the initiation, then the whole file in one PUT), in the same run,
// three rounds alternating, and reports the best throughput of each and this
// process's peak resident memory (curl
// runs as its own process and does not count). A second upload of the file
// has its connection dropped halfway through and reports the bytes that
// reached the emulator twice. With --tls everything goes over HTTPS, the emulator's
// certificate trusted through SSL_CERT_FILE (curl: --cacert).
//
//   upload_bench [SIZE_MIB [CHUNK_MIB]] [--tls]    (defaults: 1024, the client's chunk size)

#include "TimedUpload.h"
#include "state/LocalFileSnapshot.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <QCoroTask>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <optional>

using namespace orvane;
using namespace orvane::testsupport;
using orvane::bench::FixedTokenProvider;

namespace {

void writeRandomFile(QFile& file, qint64 size)
{
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (qint64 written = 0; written < size; written += chunk.size()) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(chunk.data()), chunk.size() / 4);
        file.write(chunk);
    }
}

double peakResidentMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// One upload of url with a fresh client; its seconds.
double uploadWithClient(QCoreApplication& application, const QString& token, const GoogleServiceEndpoints& endpoints,
                        const QUrl& url, UploadTuning tuning)
{
    FixedTokenProvider tokens(token);
    QNetworkAccessManager network;
    // Folders are remembered beside the file, as the application keeps them beside its state.
    GoogleDriveClient client(tokens, network, GoogleFileURLResolver(endpoints), endpoints,
                             DriveFolderStore::besideStateFile(url), RetryPolicy::exponentialBackoff(), {}, {}, tuning);
    const FileRoute route = FileRouter().route(url);
    const DriveUploadRequest request{url, LocalFileSnapshot::inspect(url, false), route, OpenMode::officePreserved,
                                     QStringLiteral("Opened from Mac"), route.destinationFolderName()};
    return bench::timedUpload(application, client, request);
}

QByteArray runCurl(const QStringList& arguments)
{
    QProcess curl;
    curl.start(QStringLiteral("curl"), arguments);
    curl.waitForFinished(-1);
    if (curl.exitCode() != 0)
        qFatal("curl failed: %s", curl.readAllStandardError().constData());
    return curl.readAllStandardOutput();
}

// The initiation and one PUT of the whole file, as the client's requests
// would be without chunks; its seconds.
double uploadWithCurl(const GoogleEmulatorProcess& emulator, const QString& token, const QString& path, qint64 size,
                      const std::optional<QString>& authority)
{
    QStringList common{QStringLiteral("-sS"), QStringLiteral("-H"), QStringLiteral("Authorization: Bearer ") + token};
    if (authority)
        common += {QStringLiteral("--cacert"), *authority};
    QElapsedTimer timer;
    timer.start();
    const QByteArray head = runCurl(
        common
        + QStringList{QStringLiteral("-D"), QStringLiteral("-"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                      QStringLiteral("-H"), QStringLiteral("Content-Type: application/json; charset=UTF-8"),
                      QStringLiteral("-H"), QStringLiteral("X-Upload-Content-Type: application/vnd.ms-excel"),
                      QStringLiteral("-H"), QStringLiteral("X-Upload-Content-Length: %1").arg(size),
                      QStringLiteral("--data-binary"), QStringLiteral(R"({"name":"large.xls","parents":["root"]})"),
                      emulator.url(QStringLiteral("/upload/drive/v3/files?uploadType=resumable&fields=id")).toString()});
    QString session;
    for (const QByteArray& line : head.split('\n')) {
        if (line.toLower().startsWith("location:"))
            session = QString::fromLatin1(line.mid(9).trimmed());
    }
    if (session.isEmpty())
        qFatal("no session: %s", head.constData());
    runCurl(common
            + QStringList{QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-H"),
                          QStringLiteral("Content-Range: bytes 0-%1/%2").arg(size - 1).arg(size), QStringLiteral("-T"),
                          path, session});
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    const bool overTls = arguments.removeAll(QStringLiteral("--tls")) > 0;
    const qint64 size = (arguments.size() > 0 ? arguments[0].toLongLong() : 1024) << 20;
    UploadTuning tuning;
    if (arguments.size() > 1)
        tuning.chunkSize = arguments[1].toLongLong() << 20;

    QTemporaryDir folder;
    bench::BenchEmulator server(overTls);
    GoogleEmulatorProcess& emulator = server.process;
    const GoogleServiceEndpoints endpoints = GoogleServiceEndpoints::google().withServiceRoot(emulator.rootUrl());

    QFile file(folder.filePath(QStringLiteral("large.xls")));
    file.open(QIODevice::WriteOnly);
    writeRandomFile(file, size);
    file.close();
    const QUrl url = QUrl::fromLocalFile(file.fileName());
    const double residentBefore = peakResidentMiB();

    // Three rounds, alternating, the best of each: the machine is shared.
    double clientSeconds = 1e9;
    double curlSeconds = 1e9;
    for (int round = 0; round < 3; ++round) {
        clientSeconds =
            std::min(clientSeconds, uploadWithClient(application, emulator.accessToken(), endpoints, url, tuning));
        curlSeconds = std::min(curlSeconds, uploadWithCurl(emulator, emulator.accessToken(), file.fileName(), size,
                                                           overTls ? std::optional(server.authority.certificatePath())
                                                                   : std::nullopt));
    }
    const double clientResident = peakResidentMiB();

    // The connection drops halfway through the chunk that holds the middle
    // byte, off the 256 KiB blocks the emulator keeps.
    emulator.reset();
    const qint64 cutOffAfter = tuning.chunkSize / 2 + 100'000;
    emulator.dropAfterBodyBytes(QStringLiteral("/upload/drive/v3/files"), cutOffAfter, "PUT",
                                int(size / 2 / tuning.chunkSize));
    const double resumedSeconds = uploadWithClient(application, emulator.accessToken(), endpoints, url, tuning);
    const QList<EmulatedUploadSession> sessions = emulator.uploadSessions();
    if (sessions.size() != 1 || sessions.first().state != QStringLiteral("complete"))
        qFatal("the dropped upload did not complete in its session");

    const double megabytes = size / 1e6;
    std::printf("file: %.0f MB over %s, chunks of %lld MiB\n", megabytes, overTls ? "HTTPS" : "HTTP",
                tuning.chunkSize >> 20);
    std::printf("GoogleDriveClient: %.0f MB/s (%.2f s, the folders and the initiation included)\n",
                megabytes / clientSeconds, clientSeconds);
    std::printf("curl:              %.0f MB/s (%.2f s, the initiation and one PUT)\n", megabytes / curlSeconds,
                curlSeconds);
    std::printf("ratio:             %.2f\n", curlSeconds / clientSeconds);
    std::printf("peak RSS:          %.1f MiB before the upload, %.1f MiB after it\n", residentBefore, clientResident);
    std::printf("dropped at 50%%:    %lld bytes arrived twice (chunk %lld bytes), %.2f s with the retry's wait\n",
                sessions.first().receivedBytes - size, tuning.chunkSize, resumedSeconds);
    return 0;
}
