#include "model/UploadMeter.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr qint64 megabyte = 1'000'000;
const UploadMeter::Clock::time_point start{};

} // namespace

TEST(UploadMeterTest, TheRateFollowsTheReportsSmoothedAndTheTimeLeftCountsInTheLargestWholeUnitRoundedUp)
{
    UploadMeter meter;
    meter.start(u"export.csv"_s, {0, 1000 * megabyte}, start);
    EXPECT_EQ(meter.timeLeft(), u"Estimating time left..."_s) << "no rate from one report";
    EXPECT_EQ(meter.bytesPerSecond(), 0);

    meter.update({1 * megabyte, 1000 * megabyte}, start + 1s);
    EXPECT_DOUBLE_EQ(meter.bytesPerSecond(), 1 * megabyte);
    EXPECT_EQ(meter.timeLeft(), u"About 17 minutes left"_s) << "999 s";

    // Twice as fast for a second: the rate moves part of the way, not all of it.
    meter.update({3 * megabyte, 1000 * megabyte}, start + 2s);
    EXPECT_DOUBLE_EQ(meter.bytesPerSecond(), 0.3 * 2 * megabyte + 0.7 * 1 * megabyte);
    EXPECT_EQ(meter.timeLeft(), u"About 13 minutes left"_s) << "767 s";

    meter.update({999'900'000, 1000 * megabyte}, start + 3s);
    EXPECT_EQ(meter.timeLeft(), u"About 1 second left"_s) << "less than a second still reads as one";
    const double rate = meter.bytesPerSecond();
    meter.update({999'950'000, 1000 * megabyte}, start + 3s);
    EXPECT_EQ(meter.bytesPerSecond(), rate) << "no time passed: no rate to take";
    EXPECT_EQ(meter.progress().bytesSent, 999'950'000);

    meter.start(u"short.csv"_s, {0, 100 * megabyte}, start);
    EXPECT_EQ(meter.bytesPerSecond(), 0) << "a new upload starts afresh";
    meter.update({10 * megabyte, 100 * megabyte}, start + 1s);
    EXPECT_EQ(meter.timeLeft(), u"About 9 seconds left"_s);

    meter.start(u"huge.xlsx"_s, {0, 40'000 * megabyte}, start);
    meter.update({1 * megabyte, 40'000 * megabyte}, start + 1s);
    EXPECT_EQ(meter.timeLeft(), u"About 12 hours left"_s) << "39,999 s";
}

TEST(UploadMeterTest, TheTitleAndPercentAreWholePercentsOfTheFileAndAnEmptyFileIsNoDivisionByZero)
{
    UploadMeter meter;
    EXPECT_FALSE(meter.isActive());
    meter.start(u"Q1 – 売上.xlsx"_s, {0, 1000}, start);
    EXPECT_TRUE(meter.isActive());
    EXPECT_EQ(meter.title(), u"Uploading Q1 – 売上.xlsx \u2014 0%"_s);
    meter.update({429, 1000}, start + 1s);
    EXPECT_EQ(meter.percent(), 42);
    EXPECT_DOUBLE_EQ(meter.fraction(), 0.429);
    EXPECT_EQ(meter.title(), u"Uploading Q1 – 売上.xlsx \u2014 42%"_s);
    meter.update({1000, 1000}, start + 2s);
    EXPECT_EQ(meter.title(), u"Uploading Q1 – 売上.xlsx \u2014 100%"_s);

    meter.start(u"empty.csv"_s, {0, 0}, start);
    EXPECT_EQ(meter.fraction(), 0);
    EXPECT_EQ(meter.percent(), 0);
    meter.stop();
    EXPECT_FALSE(meter.isActive());
    EXPECT_EQ(meter.fileName(), QString());
}
