import QtQuick
import QtQuick.Controls

// A push button that Return and Enter press, as Space does, once the
// keyboard has moved the focus to it. A click leaves the focus on a button
// too; then Return stays the page's default button's.
Button {
    readonly property bool takesReturn: visualFocus

    Keys.onShortcutOverride: event => event.accepted = takesReturn
                                                       && (event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
    Keys.onReturnPressed: event => { event.accepted = takesReturn; if (takesReturn) clicked(); }
    Keys.onEnterPressed: event => { event.accepted = takesReturn; if (takesReturn) clicked(); }
}
