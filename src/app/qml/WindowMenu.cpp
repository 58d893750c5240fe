#include "qml/WindowMenu.h"

#include "windows/ViewEngine.h"

#include <QMenu>

namespace orvane {

WindowMenu* WindowMenu::create(QQmlEngine* engine, QJSEngine*)
{
    return new WindowMenu(ViewEngine::of(engine).windowMenu());
}

void WindowMenu::popup(QPointF screenPosition) const
{
    if (menu_)
        menu_->popup(screenPosition.toPoint());
}

} // namespace orvane
