import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// Shown in place of the recent files while Orvane has opened none.
Item {
    implicitHeight: placeholder.implicitHeight

    ColumnLayout {
        id: placeholder
        anchors.centerIn: parent
        width: parent.width
        spacing: 10

        Symbol {
            Layout.alignment: Qt.AlignHCenter
            name: "clock"
            size: 32
            color: Theme.secondaryText
        }
        Label {
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            text: "No files opened yet"
            font.pixelSize: Theme.headlineSize
            font.weight: Font.DemiBold
        }
        Label {
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            text: "Open a supported CSV, Excel, Word, or PowerPoint file from Finder."
            color: Theme.secondaryText
            font.pixelSize: Theme.calloutSize
        }
    }
}
