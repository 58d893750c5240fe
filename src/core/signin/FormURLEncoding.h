#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

namespace orvane {

// An application/x-www-form-urlencoded body: the pairs in ascending key
// order, "key=value" joined with "&". Letters, digits and "-._~/?" stay as
// they are; every other character is sent as its UTF-8 bytes in %XX form, so
// a blank is %20 (never "+"), and ":", "+", "&" and "=" are always encoded.
QByteArray formURLEncoded(const QMap<QString, QString>& parameters);

} // namespace orvane
