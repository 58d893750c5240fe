#include "windows/WindowPalette.h"

#include <QGuiApplication>
#include <QMetaEnum>
#include <QPalette>
#include <QQuickWindow>

namespace orvane {

namespace {

// The window's palette is a QML value of its own (one object per colour
// group, one colour property per role) with no public C++ interface; its
// properties carry the roles' names.
void copyGroup(const QPalette& palette, QPalette::ColorGroup group, QObject& colorGroup)
{
    const QMetaEnum roles = QMetaEnum::fromType<QPalette::ColorRole>();
    const QMetaObject* properties = colorGroup.metaObject();
    for (int index = 0; index < properties->propertyCount(); ++index) {
        const QMetaProperty property = properties->property(index);
        if (property.metaType() != QMetaType::fromType<QColor>())
            continue;
        QByteArray roleName = property.name();
        roleName[0] = char(std::toupper(static_cast<unsigned char>(roleName[0])));
        bool known = false;
        const int role = roles.keyToValue(roleName.constData(), &known);
        if (known)
            property.write(&colorGroup, palette.color(group, QPalette::ColorRole(role)));
    }
}

} // namespace

void applyApplicationPalette(QQuickWindow& window)
{
    auto* windowPalette = window.property("palette").value<QObject*>();
    if (!windowPalette)
        return;
    const QPalette palette = QGuiApplication::palette();
    const std::pair<const char*, QPalette::ColorGroup> groups[] = {
        {"active", QPalette::Active}, {"inactive", QPalette::Inactive}, {"disabled", QPalette::Disabled}};
    for (const auto& [name, group] : groups) {
        if (auto* colorGroup = windowPalette->property(name).value<QObject*>())
            copyGroup(palette, group, *colorGroup);
    }
}

} // namespace orvane
