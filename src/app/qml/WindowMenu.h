#pragma once

#include <QObject>
#include <QPointF>
#include <QQmlEngine>

class QMenu;

namespace orvane {

// The application menu as the main window offers it on desktops without a
// tray item: the same menu, opened from a button.
class WindowMenu final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // False where the tray item carries the menu.
    Q_PROPERTY(bool isAvailable READ isAvailable CONSTANT)

public:
    static WindowMenu* create(QQmlEngine* engine, QJSEngine*);

    explicit WindowMenu(QMenu* menu) : menu_(menu) {}

    bool isAvailable() const { return menu_ != nullptr; }
    // Opens the menu with its top left corner at a point on the screen.
    Q_INVOKABLE void popup(QPointF screenPosition) const;

private:
    QMenu* menu_;
};

} // namespace orvane
