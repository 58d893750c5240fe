#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>

#include <memory>
#include <optional>

namespace orvane::emulator {

// The shape of a resource as far as partial responses go: its fields, each with
// the shape of its value when that is a resource too. A map (appProperties) has
// free keys.
struct ResourceShape {
    QMap<QString, std::shared_ptr<const ResourceShape>> fields;
    bool freeKeys = false;

    static std::shared_ptr<const ResourceShape> leaf();
};

// A "fields" parameter ("id,name", "files(id,name)", "nextPageToken, files/id", "*"),
// checked against the shape of the resource it selects from.
class FieldSelection {
public:
    // The whole resource: what an absent "fields" asks for is up to the caller.
    static FieldSelection everything();
    // Absent when the text does not parse or names a field the shape does not have;
    // invalidField then holds the text Google names in its refusal.
    static std::optional<FieldSelection> parse(QStringView text, const ResourceShape& shape, QString* invalidField);

    // The selected part of resource, which has the given shape.
    QJsonObject apply(const QJsonObject& resource) const;

private:
    friend class FieldSelectionParser;

    bool m_all = true;
    QMap<QString, FieldSelection> m_fields;
};

} // namespace orvane::emulator
