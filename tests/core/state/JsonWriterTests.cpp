#include "support/JsonDecoding.h"
#include "state/JsonWriter.h"

#include <QJsonDocument>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

QByteArray objectWith(auto write)
{
    JsonWriter writer;
    writer.beginObject();
    write(writer);
    writer.endObject();
    return writer.bytes().toByteArray();
}

} // namespace

TEST(JsonWriter, EscapesExactlyWhatJsonRequires)
{
    const QString text = u"quote\" back\\slash / tab\t nl\n cr\r bell\a nul"_s + QChar(0) + u" 日本語 が \U0001F600"_s;
    const QByteArray bytes = objectWith([&](JsonWriter& writer) { writer.member(u"k", text); });
    EXPECT_EQ(bytes, "{\"k\":\"quote\\\" back\\\\slash / tab\\t nl\\n cr\\r bell\\u0007 nul\\u0000 "
                     "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xE3\x81\x8C \xF0\x9F\x98\x80\"}");
    EXPECT_EQ(json::requireString(json::parseObject(bytes), "k"_L1), text);
}

TEST(JsonWriter, ReplacesAnUnpairedSurrogate)
{
    const QString broken = u"a"_s + QChar(0xD800) + u"b"_s;
    EXPECT_EQ(objectWith([&](JsonWriter& writer) { writer.member(u"k", broken); }), "{\"k\":\"a\xEF\xBF\xBD" "b\"}");
}

TEST(JsonWriter, SeparatesMembersAndElements)
{
    JsonWriter writer;
    writer.beginArray();
    for (qint64 number : {qint64(0), qint64(-5), qint64(9'007'199'254'740'993)}) {
        writer.beginObject();
        writer.member(u"n", number);
        writer.member(u"s", u""_s);
        writer.endObject();
    }
    writer.beginArray();
    writer.endArray();
    writer.endArray();
    EXPECT_EQ(writer.bytes(), R"([{"n":0,"s":""},{"n":-5,"s":""},{"n":9007199254740993,"s":""},[]])");
}

TEST(JsonWriter, WritesDatesInUtcWholeSeconds)
{
    const auto written = [](const QDateTime& date) {
        return objectWith([&](JsonWriter& writer) { writer.member(u"d", date); });
    };
    EXPECT_EQ(written(QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59, 999), Qt::UTC)), R"({"d":"2024-02-29T23:59:59Z"})");
    EXPECT_EQ(written(QDateTime(QDate(1969, 12, 31), QTime(0, 0, 0, 500), Qt::UTC)), R"({"d":"1969-12-31T00:00:00Z"})");
    EXPECT_EQ(written(QDateTime(QDate(2025, 1, 1), QTime(8, 30), QTimeZone(9 * 3600))), R"({"d":"2024-12-31T23:30:00Z"})");
    for (qint64 day = -800; day < 800; day += 7) {
        const QDateTime date = QDateTime(QDate(2000, 3, 1).addDays(day * 53), QTime(13, 14, 15), Qt::UTC);
        EXPECT_EQ(json::requireDate(json::parseObject(written(date)), "d"_L1), date);
    }
}

TEST(JsonWriter, WritesUuidsUpperCase)
{
    const QUuid uuid = QUuid::fromString(u"3f2504e0-4f89-11d3-9a0c-0305e82c3301"_s);
    EXPECT_EQ(objectWith([&](JsonWriter& writer) { writer.member(u"id", uuid); }),
              R"({"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301"})");
}
