import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// A symbol beside a short text, both in one colour.
RowLayout {
    id: symbolLabel

    property string title
    property string systemImage
    property color color: Theme.text
    property alias font: titleLabel.font

    spacing: 6

    Symbol {
        objectName: "symbol"
        name: symbolLabel.systemImage
        color: symbolLabel.color
        size: titleLabel.font.pixelSize + 3
    }
    Label {
        id: titleLabel
        text: symbolLabel.title
        color: symbolLabel.color
        font.pixelSize: Theme.bodySize
    }
}
