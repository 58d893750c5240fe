#pragma once

#include <QList>
#include <QStringList>

namespace orvane::emulator {

// The records of CSV (RFC 4180) or TSV text: quoted fields may hold the
// delimiter, line breaks and doubled quotes. When the text is only the start of
// a file, its last, possibly cut, record is left out.
QList<QStringList> parseDelimitedText(const QString& text, QChar delimiter, bool textIsComplete);

} // namespace orvane::emulator
