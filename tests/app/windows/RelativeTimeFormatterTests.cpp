#include "windows/RelativeTimeFormatter.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

const QDateTime now = QDateTime(QDate(2025, 3, 1), QTime(12, 0), Qt::UTC);
const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale japanese(QLocale::Japanese, QLocale::Japan);

TEST(RelativeTimeFormatterTest, CountsInTheLargestWholeUnitInEnglish)
{
    EXPECT_EQ(relativeTimeText(now.addSecs(-59), now, english), u"just now"_s);
    EXPECT_EQ(relativeTimeText(now.addSecs(-60), now, english), u"1 minute ago"_s);
    EXPECT_EQ(relativeTimeText(now.addSecs(-5 * 60 - 30), now, english), u"5 minutes ago"_s);
    EXPECT_EQ(relativeTimeText(now.addSecs(-3 * 3600), now, english), u"3 hours ago"_s);
    EXPECT_EQ(relativeTimeText(now.addDays(-1), now, english), u"1 day ago"_s);
    EXPECT_EQ(relativeTimeText(now.addDays(-13), now, english), u"1 week ago"_s);
    EXPECT_EQ(relativeTimeText(now.addDays(-45), now, english), u"1 month ago"_s);
    EXPECT_EQ(relativeTimeText(now.addDays(-800), now, english), u"2 years ago"_s);
}

TEST(RelativeTimeFormatterTest, SpeaksJapaneseToAJapaneseLocale)
{
    EXPECT_EQ(relativeTimeText(now.addSecs(-10), now, japanese), u"たった今"_s);
    EXPECT_EQ(relativeTimeText(now.addSecs(-5 * 60), now, japanese), u"5 分前"_s);
    EXPECT_EQ(relativeTimeText(now.addSecs(-2 * 3600), now, japanese), u"2 時間前"_s);
    EXPECT_EQ(relativeTimeText(now.addDays(-3), now, japanese), u"3 日前"_s);
    EXPECT_EQ(relativeTimeText(now.addDays(-14), now, japanese), u"2 週間前"_s);
    EXPECT_EQ(relativeTimeText(now.addDays(-90), now, japanese), u"3 か月前"_s);
    EXPECT_EQ(relativeTimeText(now.addDays(-365), now, japanese), u"1 年前"_s);
}

TEST(RelativeTimeFormatterTest, AMomentAfterNowReadsAsJustNow)
{
    EXPECT_EQ(relativeTimeText(now.addSecs(3600), now, english), u"just now"_s);
}

TEST(RelativeTimeFormatterTest, OtherLanguagesReadEnglish)
{
    EXPECT_EQ(relativeTimeText(now.addSecs(-120), now, QLocale(QLocale::German, QLocale::Germany)),
              u"2 minutes ago"_s);
}

} // namespace
