#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace orvane::emulator {

// The name-value pairs of a URL query or an application/x-www-form-urlencoded
// body: "+" is a blank, percent escapes are UTF-8.
class FormFields {
public:
    // Absent when an escape is broken or the decoded text is not UTF-8.
    static std::optional<FormFields> parse(QByteArrayView encoded);

    std::optional<QString> value(QStringView name) const;
    qsizetype count(QStringView name) const;
    const QList<std::pair<QString, QString>>& items() const { return m_items; }

private:
    QList<std::pair<QString, QString>> m_items;
};

} // namespace orvane::emulator
