#include "model/UploadMeter.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace orvane {

namespace {

// The weight of the newest report in the rate: enough to follow a network
// that changes speed, little enough that the time left does not jump about.
constexpr double newestReportWeight = 0.3;

QString about(qint64 count, const QString& unit)
{
    return u"About %1 %2%3 left"_s.arg(count).arg(unit, count == 1 ? QString() : u"s"_s);
}

} // namespace

void UploadMeter::start(QString fileName, const UploadProgress& progress, Clock::time_point now)
{
    *this = UploadMeter();
    isActive_ = true;
    fileName_ = std::move(fileName);
    progress_ = progress;
    lastReportAt_ = now;
}

void UploadMeter::update(const UploadProgress& progress, Clock::time_point now)
{
    const double seconds = std::chrono::duration<double>(now - lastReportAt_).count();
    if (seconds > 0 && progress.bytesSent >= progress_.bytesSent) {
        const double rate = double(progress.bytesSent - progress_.bytesSent) / seconds;
        bytesPerSecond_ =
            bytesPerSecond_ == 0 ? rate : newestReportWeight * rate + (1 - newestReportWeight) * bytesPerSecond_;
    }
    progress_ = progress;
    lastReportAt_ = now;
}

double UploadMeter::fraction() const
{
    if (progress_.totalBytes <= 0)
        return 0;
    return std::clamp(double(progress_.bytesSent) / double(progress_.totalBytes), 0.0, 1.0);
}

QString UploadMeter::title() const
{
    return u"Uploading %1 \u2014 %2%"_s.arg(fileName_).arg(percent());
}

QString UploadMeter::timeLeft() const
{
    if (bytesPerSecond_ <= 0)
        return u"Estimating time left..."_s;
    const auto seconds = qint64(std::ceil(double(progress_.totalBytes - progress_.bytesSent) / bytesPerSecond_));
    if (seconds < 60)
        return about(std::max<qint64>(seconds, 1), u"second"_s);
    if (seconds < 3600)
        return about((seconds + 59) / 60, u"minute"_s);
    return about((seconds + 3599) / 3600, u"hour"_s);
}

} // namespace orvane
