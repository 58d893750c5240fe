#include "windows/WindowPalette.h"

#include <QEvent>
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

// Lives as long as the window it watches.
class ApplicationPaletteFollower final : public QObject {
public:
    explicit ApplicationPaletteFollower(QQuickWindow& window) : QObject(&window), window_(window)
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &window_ && event->type() == QEvent::ApplicationPaletteChange)
            applyApplicationPalette(window_);
        return false;
    }

private:
    QQuickWindow& window_;
};

} // namespace

void followApplicationPalette(QQuickWindow& window)
{
    applyApplicationPalette(window);
    new ApplicationPaletteFollower(window);
}

} // namespace orvane
