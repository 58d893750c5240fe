#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <optional>

namespace orvane {

// The bytes as UTF-8 text, or nothing when they are not valid UTF-8 (no
// replacement characters are made up).
inline std::optional<QString> strictUtf8Text(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace orvane
