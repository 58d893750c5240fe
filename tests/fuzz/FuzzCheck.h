#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace orvane::fuzzing {

// A property of the parser under test that does not hold for this input:
// says which, and aborts, so that libFuzzer keeps the input as a crash.
[[noreturn]] inline void fail(const char* property, const QString& details = {})
{
    std::fprintf(stderr, "\n%s\n%s\n", property, qPrintable(details));
    std::abort();
}

inline void require(bool holds, const char* property)
{
    if (!holds)
        fail(property);
}

// details() makes the text that shows the input, only when it is needed.
template <typename Details>
void require(bool holds, const char* property, Details details)
{
    if (!holds)
        fail(property, details());
}

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// For writing back what was decoded: an absent member is left out.
inline void insertPresent(QJsonObject& object, QLatin1StringView key, const std::optional<QString>& value)
{
    if (value)
        object.insert(key, *value);
}

} // namespace orvane::fuzzing
