import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// A checklist: a green check beside each title and its explanation.
ColumnLayout {
    id: infoRows

    // { title, detail } per row, in order.
    property var rows: []

    spacing: 12

    Repeater {
        model: infoRows.rows

        RowLayout {
            required property var modelData

            Layout.fillWidth: true
            spacing: 12

            Item {
                Layout.alignment: Qt.AlignTop
                implicitWidth: 22
                implicitHeight: 20

                Symbol {
                    anchors.centerIn: parent
                    name: "checkmark.circle.fill"
                    color: Theme.green
                    size: 18
                }
            }
            ColumnLayout {
                Layout.alignment: Qt.AlignTop
                Layout.fillWidth: true
                spacing: 3

                Label {
                    Layout.fillWidth: true
                    text: modelData.title
                    wrapMode: Text.Wrap
                    font.pixelSize: Theme.headlineSize
                    font.weight: Font.DemiBold
                }
                Label {
                    Layout.fillWidth: true
                    text: modelData.detail
                    wrapMode: Text.Wrap
                    color: Theme.secondaryText
                    font.pixelSize: Theme.bodySize
                }
            }
        }
    }
}
