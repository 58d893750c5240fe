#include "qml/RelativeTime.h"

#include "windows/RelativeTimeFormatter.h"

#include <QLocale>

namespace orvane {

RelativeTime::RelativeTime(QObject* parent) : QObject(parent), now_(QDateTime::currentDateTimeUtc())
{
    ticks_.setInterval(std::chrono::seconds(30));
    connect(&ticks_, &QTimer::timeout, this, [this] {
        now_ = QDateTime::currentDateTimeUtc();
        Q_EMIT nowChanged();
    });
    ticks_.start();
}

QString RelativeTime::describe(const QDateTime& moment, const QDateTime& now) const
{
    return relativeTimeText(moment, now, QLocale());
}

} // namespace orvane
