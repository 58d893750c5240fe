#include "drive/UploadProgress.h"

namespace orvane {

UploadProgressReporter::UploadProgressReporter(UploadProgressHandler handler, qint64 totalBytes)
    : handler_(std::move(handler)), totalBytes_(totalBytes)
{
    if (!handler_)
        return;
    // Sampled rather than told by the transfer: the bytes go out on another
    // thread, far more often than anyone can read a number.
    timer_.setInterval(interval);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (body_)
            report(offset_ + body_->fileBytesRead());
    });
    report(0);
}

void UploadProgressReporter::follow(std::shared_ptr<const FileRangeBody> body, qint64 offset)
{
    if (!handler_)
        return;
    body_ = std::move(body);
    offset_ = offset;
    if (!timer_.isActive())
        timer_.start();
}

void UploadProgressReporter::finish()
{
    if (!handler_)
        return;
    timer_.stop();
    body_.reset();
    report(totalBytes_);
}

void UploadProgressReporter::report(qint64 bytesSent)
{
    if (bytesSent <= reported_)
        return;
    reported_ = bytesSent;
    handler_({bytesSent, totalBytes_});
}

} // namespace orvane
