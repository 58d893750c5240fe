pragma Singleton
import QtQuick

// The colours and type sizes of Orvane's windows, in one place. Text and
// backgrounds follow the system palette; the tints are the ones every view
// uses for good (green), attention (orange) and information (blue).
QtObject {
    readonly property SystemPalette palette: SystemPalette { colorGroup: SystemPalette.Active }

    readonly property color blue: "#007aff"
    readonly property color green: "#1e9e45"
    readonly property color orange: "#e67e00"
    readonly property color accent: blue

    readonly property color text: palette.windowText
    readonly property color secondaryText: Qt.rgba(text.r, text.g, text.b, 0.58)
    readonly property color separator: Qt.rgba(text.r, text.g, text.b, 0.14)
    readonly property color windowBackground: palette.window
    readonly property color controlBackground: palette.base

    readonly property int bodySize: 13
    readonly property int headlineSize: 13
    readonly property int calloutSize: 12
    readonly property int footnoteSize: 11
    readonly property int captionSize: 11
    readonly property int title2Size: 17
    readonly property int headerTitleSize: 30

    function tinted(color, opacity) {
        return Qt.rgba(color.r, color.g, color.b, opacity)
    }

    // The symbol library's picture of name, painted in color.
    function symbolSource(name, color) {
        return "image://symbol/" + name + "/" + color.toString().substring(1)
    }
}
