import QtQuick
import QtQuick.Controls

// A push button with a symbol before its title. A large one is the prominent
// action of a page.
Button {
    property string symbol
    property bool large: false

    icon.source: symbol.length > 0 ? Theme.symbolSource(symbol, "#000000") : ""
    icon.color: palette.buttonText
    icon.width: large ? 18 : 16
    icon.height: large ? 18 : 16
    font.pixelSize: large ? Theme.bodySize + 1 : Theme.bodySize
    padding: large ? 8 : 4
    horizontalPadding: large ? 14 : 8

    // Return and Enter press the button the keyboard moved the focus to, as
    // Space does; otherwise (a click leaves the focus here too) they stay
    // the page's default button's.
    readonly property bool takesReturn: visualFocus

    Keys.onShortcutOverride: event => event.accepted = takesReturn
                                                       && (event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
    Keys.onReturnPressed: event => { event.accepted = takesReturn; if (takesReturn) clicked(); }
    Keys.onEnterPressed: event => { event.accepted = takesReturn; if (takesReturn) clicked(); }
}
