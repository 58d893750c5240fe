#pragma once

#include "support/DecodingError.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QUrl>
#include <QUuid>

#include <optional>

// Strict reading of JSON records: a missing required key, a value of the wrong
// type or form, or text that is not JSON throws DecodingError naming the key.
// Unknown keys are ignored. Optional keys accept absence and null.
namespace orvane::json {

QJsonValue parse(const QByteArray& data);
QJsonObject parseObject(const QByteArray& data);
QJsonArray parseArray(const QByteArray& data);

QJsonObject requireObject(const QJsonValue& value);

QString requireString(const QJsonObject& object, QLatin1StringView key);
std::optional<QString> optionalString(const QJsonObject& object, QLatin1StringView key);
qint64 requireInt64(const QJsonObject& object, QLatin1StringView key);
double requireDouble(const QJsonObject& object, QLatin1StringView key);
std::optional<double> optionalDouble(const QJsonObject& object, QLatin1StringView key);
bool requireBool(const QJsonObject& object, QLatin1StringView key);
QJsonArray requireArray(const QJsonObject& object, QLatin1StringView key);
QStringList requireStringList(const QJsonObject& object, QLatin1StringView key);
// An absolute URL, in the form it has once written fully encoded and read again.
QUrl requireUrl(const QJsonObject& object, QLatin1StringView key);
std::optional<QUrl> optionalUrl(const QJsonObject& object, QLatin1StringView key);
QUuid requireUuid(const QJsonObject& object, QLatin1StringView key);
// A UTC date written yyyy-MM-ddTHH:mm:ssZ: whole seconds, nothing else accepted.
QDateTime requireDate(const QJsonObject& object, QLatin1StringView key);

// An enumeration from its raw value; fromRawValue returns std::nullopt for unknown text.
template <typename Enum, typename FromRawValue>
Enum requireEnum(const QJsonObject& object, QLatin1StringView key, FromRawValue fromRawValue)
{
    const QString raw = requireString(object, key);
    if (const std::optional<Enum> value = fromRawValue(raw))
        return *value;
    throw DecodingError(QString(key), QStringLiteral("unknown value \u201C%1\u201D").arg(raw));
}

// Decodes every element of an array with decodeElement, locating a failure by index.
template <typename DecodeElement>
auto decodeArray(const QJsonArray& array, DecodeElement decodeElement)
{
    using Element = decltype(decodeElement(QJsonValue()));
    QList<Element> elements;
    elements.reserve(array.size());
    for (qsizetype index = 0; index < array.size(); ++index) {
        try {
            elements.append(decodeElement(array.at(index)));
        } catch (const DecodingError& error) {
            throw error.nestedIn(QStringLiteral("[%1]").arg(index));
        }
    }
    return elements;
}

} // namespace orvane::json
