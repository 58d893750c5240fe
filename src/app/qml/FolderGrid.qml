import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The folders Orvane files uploads in, as tiles in as many columns of at
// least 180 points as fit.
GridLayout {
    id: grid

    // { name, extensions, symbol } per folder, in order.
    property var folders: []
    readonly property int minimumColumnWidth: 180

    columns: Math.max(1, Math.floor((width + columnSpacing) / (minimumColumnWidth + columnSpacing)))
    columnSpacing: 12
    rowSpacing: 12

    Repeater {
        model: grid.folders

        Rectangle {
            required property var modelData

            Layout.fillWidth: true
            Layout.preferredWidth: grid.minimumColumnWidth
            Layout.minimumWidth: grid.minimumColumnWidth
            implicitHeight: tile.implicitHeight + 2 * 14
            radius: 8
            color: Theme.controlBackground

            ColumnLayout {
                id: tile
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.margins: 14
                spacing: 8

                Symbol {
                    name: modelData.symbol
                    color: Theme.blue
                    size: 22
                }
                Label {
                    text: modelData.name
                    font.pixelSize: Theme.headlineSize
                    font.weight: Font.DemiBold
                }
                Label {
                    text: modelData.extensions
                    color: Theme.secondaryText
                    font.pixelSize: Theme.captionSize
                }
            }
        }
    }
}
