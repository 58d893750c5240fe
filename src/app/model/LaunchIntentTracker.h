#pragma once

#include <QList>
#include <QUrl>

namespace orvane {

// Remembers the file-open requests the platform delivered, so that files
// handed over before the model listens are not lost, and so that start-up
// can tell whether it was launched to open files. Touched on the main thread only.
class LaunchIntentTracker {
public:
    // The process-wide tracker, created on first use.
    static LaunchIntentTracker& shared();

    // True from the first request that carried a URL on; never reset.
    bool didReceiveFileOpenRequest() const { return didReceiveFileOpenRequest_; }
    // Received and not yet taken, in arrival order.
    const QList<QUrl>& pendingFileOpenRequestURLs() const { return pendingFileOpenRequestURLs_; }

    // An empty list changes nothing.
    void recordFileOpenRequest(const QList<QUrl>& urls);
    // The pending URLs; the list is empty afterwards.
    QList<QUrl> takePendingFileOpenRequestURLs();

private:
    bool didReceiveFileOpenRequest_ = false;
    QList<QUrl> pendingFileOpenRequestURLs_;
};

} // namespace orvane
