#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace orvane {

// "5 minutes ago" for a moment in the past, in the user's language:
// Japanese for a Japanese locale, English otherwise. Counts in the largest
// whole unit (seconds below a minute read as "just now"); a moment after now
// (a clock set back) also reads as "just now".
QString relativeTimeText(const QDateTime& moment, const QDateTime& now, const QLocale& locale);

} // namespace orvane
