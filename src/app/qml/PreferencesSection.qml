import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// One titled group of the preferences form.
ColumnLayout {
    id: section

    property string title
    default property alias content: body.data

    spacing: 8

    Label {
        text: section.title
        font.pixelSize: Theme.headlineSize
        font.weight: Font.DemiBold
    }
    ColumnLayout {
        id: body
        Layout.fillWidth: true
        Layout.leftMargin: 12
        spacing: 8
    }
}
