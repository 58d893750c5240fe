// What a small open costs on the wire: uploads FILES new small CSV files (about
// 300 bytes each) one after another to the local Google emulator with
// GoogleDriveClient, a new client for each as the application makes one per
// open, its folders remembered and Drive's import limits read by a first
// upload that is not counted, as the application keeps both for a run.
// Reports the median, mean and spread of one upload (token, the two folders
// checked by ID, the file) and how many requests each sent. Run it twice,
// alternating builds, to compare two ways of sending a file.
//
//   small_upload_bench [FILES] [--tls]    (default 200)

#include "TimedUpload.h"
#include "state/LocalFileSnapshot.h"

#include <QCoreApplication>
#include <QFile>
#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <QCoroTask>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

using namespace orvane;
using namespace orvane::testsupport;
using orvane::bench::FixedTokenProvider;

namespace {

QUrl writeSmallCsv(const QTemporaryDir& folder, int index)
{
    QFile file(folder.filePath(QStringLiteral("small-%1.csv").arg(index, 4, 10, QLatin1Char('0'))));
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(file.fileName()));
    for (int row = 0; row < 20; ++row)
        file.write("row " + QByteArray::number(index) + ',' + QByteArray::number(row) + ",cell\n");
    return QUrl::fromLocalFile(file.fileName());
}

// One upload of url with a fresh client; its milliseconds.
double uploadWithNewClient(QCoreApplication& application, const QString& token, const GoogleServiceEndpoints& endpoints,
                           const SharedImportLimits& importLimits, const QUrl& url)
{
    FixedTokenProvider tokens(token);
    QNetworkAccessManager network;
    GoogleDriveClient client(tokens, network, GoogleFileURLResolver(endpoints), endpoints,
                             DriveFolderStore::besideStateFile(url), RetryPolicy::exponentialBackoff(), {}, {}, {},
                             importLimits);
    const FileRoute route = FileRouter().route(url);
    const DriveUploadRequest request{url, LocalFileSnapshot::inspect(url, true), route, OpenMode::googleFormat,
                                     QStringLiteral("Opened from Mac"), route.destinationFolderName()};
    return bench::timedUpload(application, client, request) * 1000;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    const bool overTls = arguments.removeAll(QStringLiteral("--tls")) > 0;
    const int files = arguments.isEmpty() ? 200 : std::max(1, arguments.first().toInt());

    QTemporaryDir folder;
    bench::BenchEmulator server(overTls);
    GoogleEmulatorProcess& emulator = server.process;
    const GoogleServiceEndpoints endpoints = GoogleServiceEndpoints::google().withServiceRoot(emulator.rootUrl());
    const QString token = emulator.accessToken();
    const auto importLimits = std::make_shared<SharedImportLimits::element_type>();

    // Makes and remembers the folders, as the first open of a user does once.
    uploadWithNewClient(application, token, endpoints, importLimits, writeSmallCsv(folder, 0));
    const qsizetype requestsBefore = emulator.requests().size();

    std::vector<double> milliseconds;
    for (int index = 1; index <= files; ++index)
        milliseconds.push_back(
            uploadWithNewClient(application, token, endpoints, importLimits, writeSmallCsv(folder, index)));
    const double requestsEach = double(emulator.requests().size() - requestsBefore) / files;

    std::ranges::sort(milliseconds);
    const size_t middle = milliseconds.size() / 2;
    const double median = milliseconds.size() % 2 ? milliseconds[middle]
                                                   : (milliseconds[middle - 1] + milliseconds[middle]) / 2;
    const double mean = std::accumulate(milliseconds.begin(), milliseconds.end(), 0.0) / double(milliseconds.size());
    std::printf("%d small uploads over %s, %.1f requests each: median %.2f ms, mean %.2f ms, min %.2f ms, "
                "max %.2f ms\n",
                files, overTls ? "HTTPS" : "HTTP", requestsEach, median, mean, milliseconds.front(),
                milliseconds.back());
    return 0;
}
