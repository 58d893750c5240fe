import QtQuick
import QtQuick.Layouts

// A rounded box tinted with one colour: a symbol at the top left and texts
// beside it. The tip and the error banners are made of it.
Rectangle {
    id: box

    property color tint
    property real tintOpacity
    property int padding
    property alias spacing: row.spacing
    property string systemImage
    property real symbolSize
    property real symbolWidth
    default property alias content: texts.data

    implicitHeight: row.implicitHeight + 2 * padding
    implicitWidth: row.implicitWidth + 2 * padding
    radius: 8
    color: Theme.tinted(tint, tintOpacity)

    RowLayout {
        id: row
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: box.padding

        Item {
            Layout.alignment: Qt.AlignTop
            implicitWidth: box.symbolWidth
            implicitHeight: box.symbolSize

            Symbol {
                anchors.centerIn: parent
                name: box.systemImage
                color: box.tint
                size: box.symbolSize
            }
        }
        ColumnLayout {
            id: texts
            Layout.alignment: Qt.AlignTop
            Layout.fillWidth: true
            spacing: 4
        }
    }
}
