#include "AwaitTask.h"
#include "support/FileError.h"
#include "GoogleEmulatorProcess.h"
#include "drive/StreamingUpload.h"
#include "support/UrlError.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QString writeFile(const QTemporaryDir& folder, const QByteArray& content)
{
    QFile file(folder.filePath(u"body.bin"_s));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return file.fileName();
}

// The whole file as a body.
std::shared_ptr<FileRangeBody> wholeFile(const QString& path)
{
    const auto file = std::make_shared<const UploadFile>(path);
    return std::make_shared<FileRangeBody>(file, 0, file->size());
}

QByteArray readAll(FileRangeBody& body, qint64 pieceSize)
{
    QByteArray all;
    QByteArray piece(pieceSize, Qt::Uninitialized);
    for (qint64 count; (count = body.read(piece.data(), pieceSize)) > 0;)
        all.append(piece.constData(), count);
    return all;
}

const NetworkRoute direct{QNetworkProxy(QNetworkProxy::NoProxy), {}};

UrlError transportFailure(QTemporaryDir& folder, const QUrl& url, std::chrono::milliseconds idleTimeout)
{
    try {
        awaitTask(StreamingConnection(direct, idleTimeout).send("POST", url, {}, wholeFile(writeFile(folder, "abc"))));
    } catch (const UrlError& error) {
        return error;
    }
    ADD_FAILURE() << "the upload did not fail";
    return UrlError(UrlError::Code::unknown);
}

} // namespace

TEST(FileRangeBody, ReadsItsRangeAcrossPieceBoundaries)
{
    QTemporaryDir folder;
    const QByteArray content = QByteArray("0123456789").repeated(50);
    for (qint64 pieceSize : {1, 3, 7, 64, 4096}) {
        const auto body = wholeFile(writeFile(folder, content));
        EXPECT_EQ(body->size(), 500);
        EXPECT_EQ(readAll(*body, pieceSize), content) << pieceSize;
        EXPECT_EQ(body->fileBytesRead(), 500);
    }
    EXPECT_EQ(readAll(*wholeFile(writeFile(folder, {})), 3), QByteArray());
    const auto file = std::make_shared<const UploadFile>(writeFile(folder, content));
    FileRangeBody chunk(file, 7, 30);
    EXPECT_EQ(chunk.size(), 30);
    EXPECT_EQ(readAll(chunk, 64), content.mid(7, 30));
}

TEST(FileRangeBody, AFileThatShrinksFailsTheRead)
{
    QTemporaryDir folder;
    const QString path = writeFile(folder, "long enough content");
    const auto body = wholeFile(path);
    QFile::resize(path, 4);
    char buffer[64];
    EXPECT_EQ(body->read(buffer, 64), 4);
    EXPECT_EQ(body->read(buffer, 64), -1);
}

TEST(FileRangeBody, AFileThatCannotBeOpenedGivesTheSystemsReasonNotThatItIsMissing)
{
    QTemporaryDir folder;
    const auto openingError = [](const QString& path) {
        try {
            UploadFile file(path);
        } catch (const FileError& error) {
            return error;
        }
        throw std::logic_error("the file was opened");
    };
    const QString tooLong = folder.filePath(QString(300, u'a') + u".csv"_s);
    EXPECT_EQ(openingError(tooLong), FileError(FileError::Kind::notReadable, tooLong, FileError::systemReason(ENAMETOOLONG)));
    EXPECT_EQ(openingError(tooLong).localizedDescription(),
              u"The file \u201C"_s + tooLong + u"\u201D could not be read. (File name too long)"_s);

    // What a name that is not UTF-8 becomes as text names no file.
    const QString notUtf8 = QFile::decodeName(QFile::encodeName(folder.path()) + "/bad\xff.csv");
    EXPECT_EQ(openingError(notUtf8), FileError(FileError::Kind::nameNotUtf8, notUtf8));

    const QString missing = folder.filePath(u"missing.csv"_s);
    EXPECT_EQ(openingError(missing), FileError(FileError::Kind::notFound, missing));
}

TEST(FileRangeBody, AFileChangedOrReplacedAfterItsContentWasReadStopsBeforeTheLastByte)
{
    QTemporaryDir folder;
    char buffer[64];
    // The last byte is held back until the file has been checked.
    const auto readUpToTheLastByte = [&](FileRangeBody& body) { EXPECT_EQ(body.read(buffer, 64), 9); };

    // Written in place with the same size: only its modification time tells.
    const QString path = writeFile(folder, "0123456789");
    const auto rewritten = wholeFile(path);
    readUpToTheLastByte(*rewritten);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.write("ABCDEFGHIJ");
    file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(5), QFileDevice::FileModificationTime);
    file.close();
    EXPECT_EQ(rewritten->read(buffer, 64), -1);

    // Replaced by a save under the same name: the content sent was the old file's.
    const auto replaced = wholeFile(path);
    readUpToTheLastByte(*replaced);
    QSaveFile save(path);
    ASSERT_TRUE(save.open(QIODevice::WriteOnly));
    save.write("0123456789");
    ASSERT_TRUE(save.commit());
    EXPECT_EQ(replaced->read(buffer, 64), -1);

    // Touched: a new modification time alone.
    FileRangeBody chunk(std::make_shared<const UploadFile>(path), 0, 10);
    readUpToTheLastByte(chunk);
    QFile touched(path);
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
    ASSERT_TRUE(touched.setFileTime(QDateTime::currentDateTimeUtc().addSecs(9), QFileDevice::FileModificationTime));
    touched.close();
    EXPECT_EQ(chunk.read(buffer, 64), -1);

    const auto untouched = wholeFile(path);
    readUpToTheLastByte(*untouched);
    EXPECT_EQ(untouched->read(buffer, 64), 1);
    EXPECT_EQ(untouched->read(buffer, 64), 0);
}

TEST(StreamingUpload, AnAbortEndsAStalledTransferAtOnceAndTheServerKeepsNothing)
{
    orvane::testsupport::GoogleEmulatorProcess emulator;
    QTemporaryDir folder;
    const QString token = emulator.accessToken();
    emulator.stallNextRequests(u"/upload/drive/v3/files"_s, 30s);
    AbortSignal abort;
    QTimer::singleShot(200ms, [abort]() mutable { abort.abort(); });
    QElapsedTimer elapsed;
    elapsed.start();
    try {
        awaitTask(StreamingConnection(direct).send("POST", emulator.url(u"/upload/drive/v3/files?uploadType=multipart"_s),
                                                   {{"Authorization", "Bearer " + token.toUtf8()}},
                                                   wholeFile(writeFile(folder, "abc")), abort));
        ADD_FAILURE() << "the upload was not aborted";
    } catch (const UrlError& error) {
        EXPECT_EQ(error.code(), UrlError::Code::cancelled);
    }
    EXPECT_LT(elapsed.elapsed(), 10'000) << "ended by the abort, not by the 30 s stall";
    EXPECT_TRUE(emulator.files().isEmpty());
    EXPECT_THROW(awaitTask(StreamingConnection(direct).send("POST", emulator.url(u"/upload"_s), {},
                                                            wholeFile(writeFile(folder, "abc")), abort)),
                 UrlError)
        << "an aborted signal starts nothing";
}

TEST(StreamingUpload, SendsTheBodyWithTheGivenHeaders)
{
    orvane::testsupport::GoogleEmulatorProcess emulator;
    QTemporaryDir folder;
    const QString token = emulator.accessToken();
    const QByteArray boundary = "B";
    const QByteArray head = "--B\r\nContent-Type: application/json; charset=UTF-8\r\n\r\n"
                            R"({"name":"x.csv","mimeType":"text/csv","parents":["root"]})"
                            "\r\n--B\r\nContent-Type: text/csv\r\n\r\n";
    const auto body = wholeFile(writeFile(folder, head + "a,b\n\r\n--B--\r\n"));
    const HttpResponse response = awaitTask(StreamingConnection(direct).send(
        "POST", emulator.url(u"/upload/drive/v3/files?uploadType=multipart"_s),
        {{"Authorization", "Bearer " + token.toUtf8()}, {"Content-Type", "multipart/related; boundary=B"}}, body));
    EXPECT_EQ(response.statusCode, 200);
    EXPECT_TRUE(response.body.contains("\"id\""));
    const auto sent = emulator.requests(u"/upload/drive/v3/files"_s).first();
    EXPECT_EQ(sent.body, head + "a,b\n\r\n--B--\r\n");
    EXPECT_EQ(sent.header("Content-Type"), "multipart/related; boundary=B");
}

TEST(StreamingUpload, TransportFailuresBecomeUrlErrors)
{
    QTemporaryDir folder;
    orvane::testsupport::GoogleEmulatorProcess emulator;
    const QUrl upload = emulator.url(u"/upload/drive/v3/files"_s);

    emulator.stallNextRequests(u"/upload/drive/v3/files"_s, 6s);
    const UrlError unanswered = transportFailure(folder, upload, 1s);
    EXPECT_EQ(unanswered.code(), UrlError::Code::timedOut);
    EXPECT_EQ(unanswered.localizedDescription(), u"The request timed out: Google did not answer within a second"_s);

    emulator.dropNextRequests(u"/upload/drive/v3/files"_s);
    EXPECT_EQ(transportFailure(folder, upload, 10s).code(), UrlError::Code::networkConnectionLost);

    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const QUrl refused(u"http://127.0.0.1:%1/upload"_s.arg(closed.serverPort()));
    closed.close();
    EXPECT_EQ(transportFailure(folder, refused, 10s).code(), UrlError::Code::cannotConnectToHost);
}
