#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace orvane::emulator {

// The media types Drive converts into each Google type, as about's
// importFormats lists them (source type to Google types), in lower case since
// media types compare case-insensitively.
const QHash<QString, QStringList>& importFormats();

// Whether content of mediaType (lower case) converts into googleType.
bool canConvert(const QString& mediaType, const QString& googleType);

} // namespace orvane::emulator
