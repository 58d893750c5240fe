// Uploads one large file to the local Google emulator with GoogleDriveClient,
// then posts the same multipart body with curl to the same endpoint, in the
// same run, and reports both throughputs and this process's peak resident
// memory (curl runs as its own process and does not count).
//
//   upload_bench [SIZE_MIB]      (default 1024)

#include "drive/GoogleDriveClient.h"
#include "GoogleEmulatorProcess.h"
#include "state/LocalFileSnapshot.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <QCoroTask>

#include <sys/resource.h>

#include <cstdio>

using namespace orvane;

namespace {

class FixedTokenProvider final : public AccessTokenProviding {
public:
    explicit FixedTokenProvider(QString token) : token_(std::move(token)) {}
    QCoro::Task<QString> accessToken() override { co_return QString(token_); }
    QCoro::Task<std::optional<QString>> accessTokenReplacing(QString) override { co_return std::nullopt; }

private:
    QString token_;
};

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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const qint64 size = (argc > 1 ? QByteArray(argv[1]).toLongLong() : 1024) << 20;
    QTemporaryDir folder;
    orvane::testsupport::GoogleEmulatorProcess emulator;
    const QString token = emulator.accessToken();

    QFile file(folder.filePath(QStringLiteral("large.xlsx")));
    file.open(QIODevice::WriteOnly);
    writeRandomFile(file, size);
    file.close();
    const QUrl url = QUrl::fromLocalFile(file.fileName());
    const double residentBefore = peakResidentMiB();

    FixedTokenProvider tokens(token);
    QNetworkAccessManager network;
    const GoogleServiceEndpoints endpoints = GoogleServiceEndpoints::google().withServiceRoot(emulator.rootUrl());
    GoogleDriveClient client(tokens, network, GoogleFileURLResolver(endpoints), endpoints);
    const FileRoute route = FileRouter().route(url);
    const DriveUploadRequest request{url, LocalFileSnapshot::inspect(url, false), route, OpenMode::officePreserved,
                                     QStringLiteral("Opened from Mac"), route.destinationFolderName()};

    QElapsedTimer timer;
    timer.start();
    double clientSeconds = 0;
    QCoro::connect(client.uploadFile(request), &application, [&](const DriveUploadResult&) {
        clientSeconds = timer.nsecsElapsed() / 1e9;
        application.quit();
    });
    application.exec();
    const double clientResident = peakResidentMiB();

    // The same body for curl, built the way the client frames it.
    const QByteArray boundary = "OrvaneBoundary-BENCH";
    QFile body(folder.filePath(QStringLiteral("body.bin")));
    body.open(QIODevice::WriteOnly);
    body.write("--" + boundary + "\r\nContent-Type: application/json; charset=UTF-8\r\n\r\n"
               R"({"name":"large.xlsx","mimeType":"application/vnd.ms-excel","parents":["root"]})"
               "\r\n--" + boundary + "\r\nContent-Type: application/vnd.ms-excel\r\n\r\n");
    file.open(QIODevice::ReadOnly);
    while (!file.atEnd())
        body.write(file.read(1 << 20));
    body.write("\r\n--" + boundary + "--\r\n");
    body.close();

    QProcess curl;
    timer.restart();
    curl.start(QStringLiteral("curl"),
               {QStringLiteral("-sS"), QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-X"),
                QStringLiteral("POST"), QStringLiteral("-H"), QStringLiteral("Authorization: Bearer ") + token,
                QStringLiteral("-H"),
                QStringLiteral("Content-Type: multipart/related; boundary=") + QString::fromLatin1(boundary),
                QStringLiteral("-T"), body.fileName(),
                emulator.url(QStringLiteral("/upload/drive/v3/files?uploadType=multipart&fields=id")).toString()});
    curl.waitForFinished(-1);
    const double curlSeconds = timer.nsecsElapsed() / 1e9;
    if (curl.exitCode() != 0)
        qFatal("curl failed: %s", curl.readAllStandardError().constData());

    const double megabytes = size / 1e6;
    std::printf("file: %.0f MB\n", megabytes);
    std::printf("GoogleDriveClient: %.0f MB/s (%.2f s, two folder lookups included)\n", megabytes / clientSeconds,
                clientSeconds);
    std::printf("curl:              %.0f MB/s (%.2f s)\n", megabytes / curlSeconds, curlSeconds);
    std::printf("ratio:             %.2f\n", curlSeconds / clientSeconds);
    std::printf("peak RSS:          %.1f MiB before the upload, %.1f MiB after it\n", residentBefore, clientResident);
    return 0;
}
