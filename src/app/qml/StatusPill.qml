import QtQuick
import QtQuick.Layouts

// A small capsule with a symbol and a short state: green when all is well,
// orange when it needs attention.
Rectangle {
    id: pill

    property string title
    property string systemImage
    property bool isPositive

    readonly property color tint: isPositive ? Theme.green : Theme.orange

    implicitWidth: label.implicitWidth + 24
    implicitHeight: label.implicitHeight + 16
    radius: height / 2
    color: Theme.tinted(tint, isPositive ? 0.12 : 0.14)

    SymbolLabel {
        id: label
        anchors.centerIn: parent
        title: pill.title
        systemImage: pill.systemImage
        color: pill.tint
        font.pixelSize: Theme.calloutSize
        font.weight: Font.Medium
    }
}
