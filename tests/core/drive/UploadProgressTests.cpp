#include "drive/UploadProgress.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

constexpr qint64 block = 256 * 1024;

// Hands count bytes of the body over, as the transfer would.
void send(FileRangeBody& body, qint64 count)
{
    QByteArray buffer(count, Qt::Uninitialized);
    for (qint64 read; count > 0; count -= read) {
        read = body.read(buffer.data(), count);
        ASSERT_GT(read, 0);
    }
}

// Runs the event loop until the reporter's timer has sampled twice more.
void letTheReporterSample()
{
    const QDeadlineTimer deadline(2 * UploadProgressReporter::interval + std::chrono::milliseconds(100));
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

TEST(UploadProgressReporter, NeverGoesBackWhenAChunkIsSentAgainFromEarlierBytes)
{
    QTemporaryDir folder;
    QFile content(folder.filePath(u"big.csv"_s));
    ASSERT_TRUE(content.open(QIODevice::WriteOnly));
    content.write(QByteArray(4 * block, 'x'));
    content.close();
    const auto file = std::make_shared<const UploadFile>(content.fileName());
    QList<qint64> reported;
    UploadProgressReporter reporter([&](const UploadProgress& progress) { reported.append(progress.bytesSent); },
                                    file->size());

    // A chunk of two blocks goes out whole, then its answer is lost.
    const auto first = std::make_shared<FileRangeBody>(file, 0, 2 * block);
    reporter.follow(first, 0);
    send(*first, 2 * block);
    letTheReporterSample();
    // The session kept one block: the next chunk starts there, below what was told.
    const auto again = std::make_shared<FileRangeBody>(file, block, 2 * block);
    reporter.follow(again, block);
    letTheReporterSample();
    send(*again, 2 * block);
    letTheReporterSample();
    reporter.finish();

    EXPECT_EQ(reported, (QList<qint64>{0, 2 * block, 3 * block, 4 * block}));
}
