import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane

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
            objectName: "noRecentFilesHint"
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            text: PlatformTexts.noRecentFilesHint
            color: Theme.secondaryText
            font.pixelSize: Theme.calloutSize
        }
    }
}
