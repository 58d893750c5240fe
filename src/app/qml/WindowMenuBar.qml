import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane

// On desktops without a tray item: a bar across the top of the main window
// whose button opens the application menu, so that every menu item stays
// reachable.
ToolBar {
    RowLayout {
        anchors.fill: parent

        Item {
            Layout.fillWidth: true
        }
        SymbolButton {
            id: menuButton
            objectName: "windowMenuButton"
            text: "Menu"
            symbol: "menubar.rectangle"
            flat: true
            onClicked: WindowMenu.popup(menuButton.mapToGlobal(0, menuButton.height))
        }
    }
}
