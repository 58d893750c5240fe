#include "DelimitedText.h"

#include <algorithm>

namespace orvane::emulator {

QList<QStringList> parseDelimitedText(const QString& text, QChar delimiter, bool textIsComplete)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    bool recordStarted = false;
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar c = text[index];
        recordStarted = true;
        if (quoted) {
            if (c == u'"' && index + 1 < text.size() && text[index + 1] == u'"') {
                field += u'"';
                ++index;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"' && field.isEmpty()) {
            quoted = true;
        } else if (c == delimiter) {
            record.append(std::exchange(field, {}));
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && index + 1 < text.size() && text[index + 1] == u'\n')
                ++index;
            record.append(std::exchange(field, {}));
            records.append(std::exchange(record, {}));
            recordStarted = false;
        } else {
            field += c;
        }
    }
    if (recordStarted && textIsComplete) {
        record.append(field);
        records.append(record);
    }
    return records;
}

void DelimitedCellCounter::feed(QByteArrayView bytes)
{
    for (const char byte : bytes) {
        if (byte == '"') {
            // A doubled quote inside quotes toggles twice and stays inside.
            m_inQuotes = !m_inQuotes;
            m_recordHasContent = true;
        } else if (m_inQuotes) {
            continue;
        } else if (byte == m_delimiter) {
            ++m_fieldsInRecord;
            m_recordHasContent = true;
        } else if (byte == '\n') {
            ++m_records;
            m_widestRecord = std::max(m_widestRecord, m_fieldsInRecord);
            m_fieldsInRecord = 1;
            m_recordHasContent = false;
        } else if (byte != '\r') {
            m_recordHasContent = true;
        }
    }
}

qint64 DelimitedCellCounter::cells() const
{
    if (!m_recordHasContent)
        return m_records * m_widestRecord;
    return (m_records + 1) * std::max(m_widestRecord, m_fieldsInRecord);
}

} // namespace orvane::emulator
