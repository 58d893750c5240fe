#include "support/JsonDecoding.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>

namespace orvane::json {

namespace {

DecodingError missingKey(QLatin1StringView key)
{
    return DecodingError(QString(key), QStringLiteral("required key is missing"));
}

DecodingError wrongType(QLatin1StringView key, const char* expected)
{
    return DecodingError(QString(key), QStringLiteral("expected %1").arg(QLatin1StringView(expected)));
}

QJsonValue requireValue(const QJsonObject& object, QLatin1StringView key)
{
    const auto found = object.constFind(key);
    if (found == object.constEnd() || found->isNull())
        throw missingKey(key);
    return *found;
}

// JSON's \u escapes can spell half of a surrogate pair, which is no text: it
// could only be written back as U+FFFD, so a record would not save as it loaded.
QString requireText(const QJsonValue& value, QLatin1StringView key, const char* expected)
{
    if (!value.isString())
        throw wrongType(key, expected);
    QString text = value.toString();
    if (!text.isValidUtf16())
        throw DecodingError(QString(key), QStringLiteral("expected text, found half of a UTF-16 surrogate pair"));
    return text;
}

bool isAbsent(const QJsonObject& object, QLatin1StringView key)
{
    const auto found = object.constFind(key);
    return found == object.constEnd() || found->isNull();
}

int digits(const QString& text, int from, int count)
{
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

} // namespace

QJsonValue parse(const QByteArray& data)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError)
        throw DecodingError(QString(), QStringLiteral("not valid JSON: %1 at offset %2").arg(error.errorString()).arg(error.offset));
    if (document.isArray())
        return document.array();
    if (document.isObject())
        return document.object();
    throw DecodingError(QString(), QStringLiteral("not valid JSON"));
}

QJsonObject parseObject(const QByteArray& data)
{
    return requireObject(parse(data));
}

QJsonArray parseArray(const QByteArray& data)
{
    const QJsonValue value = parse(data);
    if (!value.isArray())
        throw DecodingError(QString(), QStringLiteral("expected an array"));
    return value.toArray();
}

QJsonObject requireObject(const QJsonValue& value)
{
    if (!value.isObject())
        throw DecodingError(QString(), QStringLiteral("expected an object"));
    return value.toObject();
}

QString requireString(const QJsonObject& object, QLatin1StringView key)
{
    return requireText(requireValue(object, key), key, "a string");
}

std::optional<QString> optionalString(const QJsonObject& object, QLatin1StringView key)
{
    if (isAbsent(object, key))
        return std::nullopt;
    return requireString(object, key);
}

qint64 requireInt64(const QJsonObject& object, QLatin1StringView key)
{
    const QJsonValue value = requireValue(object, key);
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || std::trunc(number) != number || std::fabs(number) >= 9.223372036854775807e18)
        throw wrongType(key, "an integer");
    return value.toInteger();
}

double requireDouble(const QJsonObject& object, QLatin1StringView key)
{
    const QJsonValue value = requireValue(object, key);
    if (!value.isDouble())
        throw wrongType(key, "a number");
    return value.toDouble();
}

std::optional<double> optionalDouble(const QJsonObject& object, QLatin1StringView key)
{
    if (isAbsent(object, key))
        return std::nullopt;
    return requireDouble(object, key);
}

bool requireBool(const QJsonObject& object, QLatin1StringView key)
{
    const QJsonValue value = requireValue(object, key);
    if (!value.isBool())
        throw wrongType(key, "a Boolean");
    return value.toBool();
}

QJsonArray requireArray(const QJsonObject& object, QLatin1StringView key)
{
    const QJsonValue value = requireValue(object, key);
    if (!value.isArray())
        throw wrongType(key, "an array");
    return value.toArray();
}

QStringList requireStringList(const QJsonObject& object, QLatin1StringView key)
{
    QStringList list;
    for (const QJsonValue& element : requireArray(object, key))
        list.append(requireText(element, key, "an array of strings"));
    return list;
}

QUrl requireUrl(const QJsonObject& object, QLatin1StringView key)
{
    const QString text = requireString(object, key);
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid())
        throw DecodingError(QString(key), QStringLiteral("not a valid URL"));
    if (url.isRelative())
        throw DecodingError(QString(key), QStringLiteral("not an absolute URL"));
    // As it reads back once written: QUrl keeps a text's own escaping, so the
    // same address read from another form would otherwise compare unequal.
    return QUrl::fromEncoded(url.toEncoded(), QUrl::StrictMode);
}

std::optional<QUrl> optionalUrl(const QJsonObject& object, QLatin1StringView key)
{
    if (isAbsent(object, key))
        return std::nullopt;
    return requireUrl(object, key);
}

QUuid requireUuid(const QJsonObject& object, QLatin1StringView key)
{
    const QString text = requireString(object, key);
    const QUuid uuid = QUuid::fromString(text);
    const bool isNilText = text == QLatin1StringView("00000000-0000-0000-0000-000000000000");
    if (text.size() != 36 || (uuid.isNull() && !isNilText))
        throw DecodingError(QString(key), QStringLiteral("not a valid UUID"));
    return uuid;
}

QDateTime requireDate(const QJsonObject& object, QLatin1StringView key)
{
    const QString text = requireString(object, key);
    const auto invalid = [&] {
        return DecodingError(QString(key), QStringLiteral("expected a date in the form yyyy-MM-ddTHH:mm:ssZ, found \u201C%1\u201D").arg(text));
    };
    if (text.size() != 20 || text[4] != u'-' || text[7] != u'-' || text[10] != u'T' || text[13] != u':'
        || text[16] != u':' || text[19] != u'Z')
        throw invalid();
    const int year = digits(text, 0, 4), month = digits(text, 5, 2), day = digits(text, 8, 2);
    const int hour = digits(text, 11, 2), minute = digits(text, 14, 2), second = digits(text, 17, 2);
    const QDate date(year, month, day);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 || !date.isValid()
        || !QTime::isValid(hour, minute, second))
        throw invalid();
    return QDateTime(date, QTime(hour, minute, second), Qt::UTC);
}

} // namespace orvane::json
