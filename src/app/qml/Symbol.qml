import QtQuick

// A symbol of Orvane's symbol library, by its name, painted in one colour,
// size points square.
Image {
    property string name
    property color color: Theme.text
    property real size: 16

    sourceSize: Qt.size(size, size)
    fillMode: Image.PreserveAspectFit
    source: name.length > 0 ? Theme.symbolSource(name, color) : ""
}
