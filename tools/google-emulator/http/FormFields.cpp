#include "FormFields.h"

#include <QStringDecoder>

#include <algorithm>

namespace orvane::emulator {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<QString> decodeComponent(QByteArrayView encoded)
{
    QByteArray bytes;
    bytes.reserve(encoded.size());
    for (qsizetype index = 0; index < encoded.size(); ++index) {
        const char c = encoded[index];
        if (c == '+') {
            bytes += ' ';
        } else if (c == '%') {
            if (index + 2 >= encoded.size())
                return std::nullopt;
            const int high = hexValue(encoded[index + 1]);
            const int low = hexValue(encoded[index + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            bytes += static_cast<char>(high * 16 + low);
            index += 2;
        } else {
            bytes += c;
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

} // namespace

std::optional<FormFields> FormFields::parse(QByteArrayView encoded)
{
    FormFields fields;
    if (encoded.isEmpty())
        return fields;
    for (const QByteArray& item : encoded.toByteArray().split('&')) {
        if (item.isEmpty())
            continue;
        const qsizetype equals = item.indexOf('=');
        const std::optional<QString> name = decodeComponent(equals < 0 ? QByteArrayView(item) : QByteArrayView(item).first(equals));
        const std::optional<QString> value = equals < 0 ? QString() : decodeComponent(QByteArrayView(item).sliced(equals + 1));
        if (!name || !value)
            return std::nullopt;
        fields.m_items.append({*name, *value});
    }
    return fields;
}

std::optional<QString> FormFields::value(QStringView name) const
{
    for (const auto& [itemName, value] : m_items) {
        if (itemName == name)
            return value;
    }
    return std::nullopt;
}

qsizetype FormFields::count(QStringView name) const
{
    return std::count_if(m_items.begin(), m_items.end(), [&](const auto& item) { return item.first == name; });
}

} // namespace orvane::emulator
