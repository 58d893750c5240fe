import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane

// One recent file: its kind, name, folder and mode, when it was last opened,
// and a button that opens its Google file in the browser.
Item {
    id: row

    property var record
    property string iconName

    objectName: "recentFileRow"
    implicitHeight: content.implicitHeight + 8

    RowLayout {
        id: content
        anchors.fill: parent
        anchors.leftMargin: 8
        anchors.rightMargin: 4
        anchors.topMargin: 4
        anchors.bottomMargin: 4
        spacing: 12

        Item {
            implicitWidth: 24
            implicitHeight: 24

            Symbol {
                objectName: "fileIcon"
                anchors.centerIn: parent
                name: row.iconName
                color: Theme.blue
                size: 20
            }
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2

            Label {
                objectName: "fileName"
                Layout.fillWidth: true
                text: row.record.fileName
                textFormat: Text.PlainText
                elide: Text.ElideMiddle
                font.pixelSize: Theme.bodySize
                font.weight: Font.Medium
            }
            Label {
                objectName: "fileDetail"
                Layout.fillWidth: true
                text: row.record.destinationFolderName + " • "
                      + (row.record.openMode === "officePreserved" ? "Keep Office format" : "Google format")
                textFormat: Text.PlainText
                elide: Text.ElideRight
                color: Theme.secondaryText
                font.pixelSize: Theme.captionSize
            }
        }
        Label {
            objectName: "lastOpened"
            text: RelativeTime.describe(row.record.lastOpenedAt, RelativeTime.now)
            color: Theme.secondaryText
            font.pixelSize: Theme.captionSize
        }
        SymbolButton {
            objectName: "openRecordButton"
            text: "Open in Browser"
            // It shows only its symbol; a screen reader says which file it opens.
            Accessible.name: "Open " + row.record.fileName + " in the browser"
            display: AbstractButton.IconOnly
            flat: true
            symbol: "arrow.up.forward.square"
            icon.color: Theme.accent
            onClicked: AppModel.openRecordURL(row.record.openURL)
        }
    }
}
