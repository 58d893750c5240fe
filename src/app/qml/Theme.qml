pragma Singleton
import QtQuick

// The colours and type sizes of Orvane's windows, in one place. Text and
// backgrounds follow the system palette; the tints are the ones every view
// uses for good (green), attention (orange) and information (blue). Green
// and orange texts and symbols sit on boxes of their own tint: a shade
// darker on a light window and lighter on a dark one keeps them readable
// there (4.5:1 at the least). Blue, the accent, is the same on both.
QtObject {
    readonly property SystemPalette palette: SystemPalette { colorGroup: SystemPalette.Active }
    readonly property bool isDark: windowBackground.hslLightness < 0.5

    readonly property color blue: "#007aff"
    readonly property color green: isDark ? "#26c958" : "#156f31"
    readonly property color orange: isDark ? "#ff9d26" : "#8f4e00"
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
