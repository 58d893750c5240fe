#include "windows/RelativeTimeFormatter.h"

#include <array>

using namespace Qt::StringLiterals;

namespace orvane {

namespace {

struct TimeUnit {
    qint64 seconds;
    QString englishSingular;
    QString englishPlural;
    QString japanese;
};

// Largest first; months and years as the calendar averages them.
const std::array<TimeUnit, 6> timeUnits{{
    {365 * 24 * 3600, u"year"_s, u"years"_s, u"年"_s},
    {30 * 24 * 3600, u"month"_s, u"months"_s, u"か月"_s},
    {7 * 24 * 3600, u"week"_s, u"weeks"_s, u"週間"_s},
    {24 * 3600, u"day"_s, u"days"_s, u"日"_s},
    {3600, u"hour"_s, u"hours"_s, u"時間"_s},
    {60, u"minute"_s, u"minutes"_s, u"分"_s},
}};

} // namespace

QString relativeTimeText(const QDateTime& moment, const QDateTime& now, const QLocale& locale)
{
    const bool japanese = locale.language() == QLocale::Japanese;
    const qint64 elapsed = moment.secsTo(now);
    for (const TimeUnit& unit : timeUnits) {
        const qint64 count = elapsed / unit.seconds;
        if (count < 1)
            continue;
        if (japanese)
            return u"%1 %2前"_s.arg(count).arg(unit.japanese);
        return u"%1 %2 ago"_s.arg(count).arg(count == 1 ? unit.englishSingular : unit.englishPlural);
    }
    return japanese ? u"たった今"_s : u"just now"_s;
}

} // namespace orvane
