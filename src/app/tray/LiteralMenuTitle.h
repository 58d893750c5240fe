#pragma once

#include <QString>

class QMenu;

namespace orvane {

// Who draws a menu's item titles, each with its own shortcut marker.
enum class MenuTitleReader {
    // Qt's own menus: "&" marks the letter of a keyboard shortcut.
    qtMenu,
    // The desktop's tray, to which Qt exports the menu over D-Bus
    // (com.canonical.dbusmenu): "_" marks that letter there.
    dbusMenu,
};

// Who draws this menu: the desktop's tray when Qt has handed it to the
// desktop (it does so for a tray item's menu on Linux), otherwise Qt.
MenuTitleReader titleReaderOf(QMenu& menu);

// The title that makes reader show text as it is, file names such as
// "P&L_2024.csv" included, with no letter taken for a shortcut.
QString literalMenuTitle(const QString& text, MenuTitleReader reader);

} // namespace orvane
