#include "TimedUpload.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>

namespace orvane::bench {

double timedUpload(QCoreApplication& application, GoogleDriveClient& client, const DriveUploadRequest& request)
{
    QElapsedTimer timer;
    timer.start();
    double seconds = 0;
    bool failed = false;
    QCoro::connect(
        [&]() -> QCoro::Task<> {
            try {
                co_await client.uploadFile(request);
            } catch (const std::exception& error) {
                std::fprintf(stderr, "upload failed: %s\n", error.what());
                failed = true;
            }
        }(),
        &application, [&] {
            seconds = timer.nsecsElapsed() / 1e9;
            application.quit();
        });
    application.exec();
    if (failed)
        std::exit(1);
    return seconds;
}

} // namespace orvane::bench
