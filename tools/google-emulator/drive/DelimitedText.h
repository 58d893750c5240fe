#pragma once

#include <QList>
#include <QByteArrayView>
#include <QStringList>

namespace orvane::emulator {

// The records of CSV (RFC 4180) or TSV text: quoted fields may hold the
// delimiter, line breaks and doubled quotes. When the text is only the start of
// a file, its last, possibly cut, record is left out.
QList<QStringList> parseDelimitedText(const QString& text, QChar delimiter, bool textIsComplete);

// Counts the cells of the grid that CSV or TSV text fills (its records times
// its widest record) as the bytes stream past, quoting as above, so that an
// upload of any size can be held against a spreadsheet's cell limit.
class DelimitedCellCounter {
public:
    explicit DelimitedCellCounter(char delimiter) : m_delimiter(delimiter) {}

    void feed(QByteArrayView bytes);
    // The last record counts even without a line break after it.
    qint64 cells() const;

private:
    char m_delimiter;
    bool m_inQuotes = false;
    bool m_recordHasContent = false;
    qint64 m_fieldsInRecord = 1;
    qint64 m_records = 0;
    qint64 m_widestRecord = 0;
};

} // namespace orvane::emulator
