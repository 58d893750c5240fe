#include "model/LaunchIntentTracker.h"

namespace orvane {

LaunchIntentTracker& LaunchIntentTracker::shared()
{
    static LaunchIntentTracker tracker;
    return tracker;
}

void LaunchIntentTracker::recordFileOpenRequest(const QList<QUrl>& urls)
{
    if (urls.isEmpty())
        return;
    didReceiveFileOpenRequest_ = true;
    pendingFileOpenRequestURLs_.append(urls);
}

QList<QUrl> LaunchIntentTracker::takePendingFileOpenRequestURLs()
{
    return std::exchange(pendingFileOpenRequestURLs_, {});
}

} // namespace orvane
