#pragma once

#include "drive/UploadFile.h"

#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

namespace orvane {

// How far the upload of a file has come.
struct UploadProgress {
    qint64 bytesSent = 0;
    qint64 totalBytes = 0;

    bool operator==(const UploadProgress&) const = default;
};

using UploadProgressHandler = std::function<void(const UploadProgress&)>;

// Tells an upload's handler how far it has come, on the thread that made the
// reporter: when it starts, at most every interval while the file's bytes go
// out, and when they have all gone. The count never goes back: bytes sent
// again after a resume count once.
class UploadProgressReporter {
public:
    static constexpr std::chrono::milliseconds interval{250};

    // An empty handler is told nothing.
    UploadProgressReporter(UploadProgressHandler handler, qint64 totalBytes);

    // Follows a body that sends the file from its byte offset on.
    void follow(std::shared_ptr<const FileRangeBody> body, qint64 offset);
    // Every byte of the file has gone.
    void finish();

private:
    void report(qint64 bytesSent);

    UploadProgressHandler handler_;
    qint64 totalBytes_;
    qint64 reported_ = -1;
    std::shared_ptr<const FileRangeBody> body_;
    qint64 offset_ = 0;
    QTimer timer_;
};

} // namespace orvane
