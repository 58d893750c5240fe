#pragma once

#include "drive/UploadProgress.h"

#include <QString>

#include <chrono>

namespace orvane {

// How the upload under way looks to the user: its file, how far it has come,
// how fast it goes and how long it still takes. Fed the Drive client's
// progress reports with the time each arrived; knows nothing of Qt's
// objects, so that its arithmetic is tested on its own.
class UploadMeter {
public:
    using Clock = std::chrono::steady_clock;

    // The first report of an upload.
    void start(QString fileName, const UploadProgress& progress, Clock::time_point now);
    void update(const UploadProgress& progress, Clock::time_point now);
    void stop() { *this = UploadMeter(); }

    bool isActive() const { return isActive_; }
    const QString& fileName() const { return fileName_; }
    const UploadProgress& progress() const { return progress_; }
    // Bytes per second, smoothed over the last reports; 0 until two reports tell.
    double bytesPerSecond() const { return bytesPerSecond_; }
    // Of the whole, 0 to 1 (0 for an empty file).
    double fraction() const;
    int percent() const { return int(fraction() * 100); }
    // "Uploading NAME — 42%", for the tray.
    QString title() const;
    // "About 3 minutes left", or "Estimating time left..." until the rate is known.
    QString timeLeft() const;

private:
    bool isActive_ = false;
    QString fileName_;
    UploadProgress progress_;
    Clock::time_point lastReportAt_;
    double bytesPerSecond_ = 0;
};

} // namespace orvane
