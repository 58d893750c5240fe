#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

namespace orvane::emulator {

// A Content-Type value: "type/subtype" with parameters, whose values may be quoted.
struct MediaType {
    QByteArray type; // lower-case "type/subtype"
    QList<std::pair<QByteArray, QByteArray>> parameters; // names lower-case, values unquoted

    static std::optional<MediaType> parse(QByteArrayView text);
    std::optional<QByteArray> parameter(QByteArrayView name) const;
};

} // namespace orvane::emulator
