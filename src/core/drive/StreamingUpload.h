#pragma once

#include "net/AbortSignal.h"
#include "net/HttpExchange.h"
#include "net/NetworkRoute.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QUrl>

#include <QCoroTask>

#include <memory>
#include <utility>

namespace orvane {

// A request body made of bytes in memory around the content of a file, read
// piece by piece as it is sent so that a large file never sits in memory. The
// file must stay as it was when it was opened: before the first byte after
// its content, the body checks that the file still has its size, modification
// time and identity (device and inode, also at its path), so that a file
// changed during the upload is never sent torn.
class FileFramedBody {
public:
    // Opens the file at once, so that a file that is gone fails before
    // anything is sent: throws FileError.
    FileFramedBody(QByteArray head, const QString& filePath, QByteArray tail);

    qint64 size() const { return head_.size() + identity_.size + tail_.size(); }
    QString filePath() const { return file_->fileName(); }
    // The file's size when it was opened.
    qint64 fileSize() const { return identity_.size; }

    // The next bytes, up to maxSize; 0 at the end; -1 when the file no longer
    // holds what it held when it was opened.
    qint64 read(char* data, qint64 maxSize);

private:
    struct Identity {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedSeconds = 0;
        qint64 modifiedNanoseconds = 0;

        bool operator==(const Identity&) const = default;
    };
    bool fileIsUnchanged() const;

    QByteArray head_;
    std::unique_ptr<QFile> file_;
    Identity identity_;
    QByteArray tail_;
    qint64 position_ = 0;
};

using HttpHeaders = QList<std::pair<QByteArray, QByteArray>>;

// POSTs a body streamed from a file with libcurl on the thread pool, along the
// route Qt's requests take to the URL (its proxy and its trusted authorities).
// Qt's network access manager moves a device's body between threads 16 KiB at
// a time, which halves the throughput of a large upload; libcurl reads straight
// from the file at the speed of the link. The idle time-out gives up when no
// byte moves for that long. An abort ends the transfer at once, with nothing
// more sent. Transport failures and aborts throw UrlError; a file that changes
// while it is sent throws FileError, and its request never completes.
QCoro::Task<HttpResponse> postStreaming(QUrl url, HttpHeaders headers, std::shared_ptr<FileFramedBody> body,
                                        NetworkRoute route, AbortSignal abort = {},
                                        std::chrono::milliseconds idleTimeout = requestTimeout);

} // namespace orvane
