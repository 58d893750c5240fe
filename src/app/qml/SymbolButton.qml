import QtQuick
import QtQuick.Controls

// A push button with a symbol before its title. A large one is the prominent
// action of a page.
PushButton {
    property string symbol
    property bool large: false

    icon.source: symbol.length > 0 ? Theme.symbolSource(symbol, "#000000") : ""
    icon.color: palette.buttonText
    // Not kept in Qt Quick's image cache, as Symbol's picture is not.
    icon.cache: false
    icon.width: large ? 18 : 16
    icon.height: large ? 18 : 16
    font.pixelSize: large ? Theme.bodySize + 1 : Theme.bodySize
    padding: large ? 8 : 4
    horizontalPadding: large ? 14 : 8
}
