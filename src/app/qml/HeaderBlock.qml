import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// A page's heading: a large symbol beside a title and a subtitle.
RowLayout {
    id: header

    property string title
    property string subtitle
    property string systemImage

    spacing: 16

    Item {
        Layout.alignment: Qt.AlignTop
        implicitWidth: 52
        implicitHeight: 52

        Symbol {
            anchors.centerIn: parent
            name: header.systemImage
            color: Theme.blue
            size: 40
        }
    }
    ColumnLayout {
        Layout.alignment: Qt.AlignTop
        Layout.fillWidth: true
        spacing: 8

        TextEdit {
            objectName: "headerTitle"
            Layout.fillWidth: true
            text: header.title
            textFormat: TextEdit.PlainText
            readOnly: true
            selectByMouse: true
            activeFocusOnPress: false
            wrapMode: TextEdit.Wrap
            color: Theme.text
            selectionColor: Theme.accent
            font.pixelSize: Theme.headerTitleSize
            font.weight: Font.DemiBold
        }
        Label {
            objectName: "headerSubtitle"
            Layout.fillWidth: true
            text: header.subtitle
            wrapMode: Text.Wrap
            color: Theme.secondaryText
            font.pixelSize: Theme.bodySize
        }
    }
}
