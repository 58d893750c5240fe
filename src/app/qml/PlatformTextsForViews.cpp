#include "qml/PlatformTextsForViews.h"

#include "windows/ViewEngine.h"

namespace orvane {

PlatformTextsForViews* PlatformTextsForViews::create(QQmlEngine* engine, QJSEngine*)
{
    // The window offers the menu exactly where there is no tray item.
    const bool hasWindowMenu = ViewEngine::of(engine).windowMenu() != nullptr;
    return new PlatformTextsForViews(PlatformTexts(
        PlatformTexts::thisDesktop,
        hasWindowMenu ? PlatformTexts::MenuPlace::windowMenuButton : PlatformTexts::MenuPlace::trayIcon));
}

} // namespace orvane
