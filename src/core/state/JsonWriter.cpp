#include "state/JsonWriter.h"

#include <algorithm>
#include <array>

namespace orvane {

namespace {

// 0001-01-01T00:00:00Z and 10000-01-01T00:00:00Z.
constexpr qint64 firstWritableSecond = -62'135'596'800;
constexpr qint64 firstUnwritableSecond = 253'402'300'800;

constexpr char lowerHex[] = "0123456789abcdef";
constexpr char upperHex[] = "0123456789ABCDEF";

char* writeDigits(char* out, qint64 value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = char('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

qint64 floorDivide(qint64 value, qint64 divisor)
{
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

// Year, month and day of a count of days since 1970-01-01 (Howard Hinnant's
// civil-from-days): far cheaper than going through QDate for every record.
std::array<qint64, 3> civilDate(qint64 days)
{
    const qint64 shifted = days + 719468;
    const qint64 era = floorDivide(shifted, 146097);
    const qint64 dayOfEra = shifted - era * 146097;
    const qint64 yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 monthIndex = (5 * dayOfYear + 2) / 153;
    const qint64 day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const qint64 month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

} // namespace

QDateTime JsonWriter::earliestWritableDate()
{
    return QDateTime::fromSecsSinceEpoch(firstWritableSecond, Qt::UTC);
}

QDateTime JsonWriter::latestWritableDate()
{
    return QDateTime::fromSecsSinceEpoch(firstUnwritableSecond - 1, Qt::UTC);
}

bool JsonWriter::canWrite(const QDateTime& date)
{
    const qint64 milliseconds = date.toMSecsSinceEpoch();
    return date.isValid() && milliseconds >= firstWritableSecond * 1000 && milliseconds < firstUnwritableSecond * 1000;
}

char* JsonWriter::reserve(std::size_t count)
{
    if (capacity_ - size_ < count) {
        const std::size_t capacity = std::max({capacity_ * 2, size_ + count, std::size_t(4096)});
        auto grown = std::make_unique_for_overwrite<char[]>(capacity);
        std::copy_n(buffer_.get(), size_, grown.get());
        buffer_ = std::move(grown);
        capacity_ = capacity;
    }
    return buffer_.get() + size_;
}

void JsonWriter::append(char c)
{
    *reserve(1) = c;
    ++size_;
}

void JsonWriter::separate()
{
    if (hasElements_.empty())
        return;
    if (hasElements_.back())
        append(',');
    hasElements_.back() = true;
}

void JsonWriter::begin(char bracket)
{
    separate();
    append(bracket);
    hasElements_.push_back(false);
}

void JsonWriter::end(char bracket)
{
    append(bracket);
    hasElements_.pop_back();
}

void JsonWriter::beginArray()
{
    begin('[');
}

void JsonWriter::endArray()
{
    end(']');
}

void JsonWriter::beginObject()
{
    begin('{');
}

void JsonWriter::endObject()
{
    end('}');
}

char* JsonWriter::string(char* out, QStringView text)
{
    *out++ = '"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (c >= 0x20 && c < 0x80 && c != u'"' && c != u'\\') {
            *out++ = char(c);
        } else if (c == u'"' || c == u'\\') {
            *out++ = '\\';
            *out++ = char(c);
        } else if (c < 0x20) {
            static constexpr char shortForms[] = "btn\0fr";
            *out++ = '\\';
            if (c >= u'\b' && c <= u'\r' && c != 0x0B) {
                *out++ = shortForms[c - u'\b'];
            } else {
                *out++ = 'u';
                *out++ = '0';
                *out++ = '0';
                *out++ = lowerHex[c >> 4];
                *out++ = lowerHex[c & 0xF];
            }
        } else {
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
            else if (QChar::isSurrogate(c))
                c = QChar::ReplacementCharacter;
            if (c < 0x800) {
                *out++ = char(0xC0 | (c >> 6));
            } else if (c < 0x10000) {
                *out++ = char(0xE0 | (c >> 12));
                *out++ = char(0x80 | ((c >> 6) & 0x3F));
            } else {
                *out++ = char(0xF0 | (c >> 18));
                *out++ = char(0x80 | ((c >> 12) & 0x3F));
                *out++ = char(0x80 | ((c >> 6) & 0x3F));
            }
            *out++ = char(0x80 | (c & 0x3F));
        }
    }
    *out++ = '"';
    return out;
}

// Worst case six bytes per UTF-16 unit (\u00XX), plus the quotes and a colon.
void JsonWriter::key(QStringView text)
{
    separate();
    char* out = string(reserve(std::size_t(text.size()) * 6 + 3), text);
    *out++ = ':';
    commit(out);
}

void JsonWriter::member(QStringView name, QStringView text)
{
    key(name);
    commit(string(reserve(std::size_t(text.size()) * 6 + 2), text));
}

void JsonWriter::member(QStringView name, qint64 number)
{
    key(name);
    const QByteArray digits = QByteArray::number(number);
    char* out = reserve(std::size_t(digits.size()));
    commit(std::copy(digits.begin(), digits.end(), out));
}

void JsonWriter::member(QStringView name, const QDateTime& date)
{
    key(name);
    const qint64 seconds = floorDivide(date.toMSecsSinceEpoch(), 1000);
    const qint64 days = floorDivide(seconds, 86400);
    const qint64 secondOfDay = seconds - days * 86400;
    const auto [year, month, day] = civilDate(days);

    char* out = reserve(22);
    *out++ = '"';
    out = writeDigits(out, year, 4);
    *out++ = '-';
    out = writeDigits(out, month, 2);
    *out++ = '-';
    out = writeDigits(out, day, 2);
    *out++ = 'T';
    out = writeDigits(out, secondOfDay / 3600, 2);
    *out++ = ':';
    out = writeDigits(out, secondOfDay / 60 % 60, 2);
    *out++ = ':';
    out = writeDigits(out, secondOfDay % 60, 2);
    *out++ = 'Z';
    *out++ = '"';
    commit(out);
}

void JsonWriter::member(QStringView name, const QUuid& uuid)
{
    key(name);
    const QByteArray bytes = uuid.toRfc4122();
    char* out = reserve(38);
    *out++ = '"';
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            *out++ = '-';
        *out++ = upperHex[uchar(bytes[i]) >> 4];
        *out++ = upperHex[uchar(bytes[i]) & 0xF];
    }
    *out++ = '"';
    commit(out);
}

} // namespace orvane
