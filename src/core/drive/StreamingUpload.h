#pragma once

#include "net/HttpExchange.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QUrl>

#include <QCoroTask>

#include <memory>
#include <utility>

namespace orvane {

// A request body made of bytes in memory around the content of a file, read
// piece by piece as it is sent so that a large file never sits in memory.
class FileFramedBody {
public:
    // Opens the file at once, so that a file that is gone fails before
    // anything is sent: throws FileError.
    FileFramedBody(QByteArray head, const QString& filePath, QByteArray tail);

    qint64 size() const { return head_.size() + fileSize_ + tail_.size(); }
    QString filePath() const { return file_->fileName(); }
    // The next bytes, up to maxSize; 0 at the end; -1 when the file no longer
    // holds what it held when it was opened.
    qint64 read(char* data, qint64 maxSize);

private:
    QByteArray head_;
    std::unique_ptr<QFile> file_;
    qint64 fileSize_ = 0;
    QByteArray tail_;
    qint64 position_ = 0;
};

using HttpHeaders = QList<std::pair<QByteArray, QByteArray>>;

// POSTs a body streamed from a file with libcurl on the thread pool. Qt's
// network access manager moves a device's body between threads 16 KiB at a
// time, which halves the throughput of a large upload; libcurl reads straight
// from the file at the speed of the link. The idle time-out gives up when no
// byte moves for that long. Transport failures throw UrlError; a file that
// changes while it is sent throws FileError.
QCoro::Task<HttpResponse> postStreaming(QUrl url, HttpHeaders headers, std::shared_ptr<FileFramedBody> body,
                                        std::chrono::milliseconds idleTimeout = requestTimeout);

} // namespace orvane
