import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// An orange box with a message that needs the user's attention.
BannerBox {
    id: banner

    property string message

    tint: Theme.orange
    tintOpacity: 0.12
    padding: 12
    spacing: 10
    systemImage: "exclamationmark.triangle.fill"
    symbolSize: 16
    symbolWidth: 16

    Label {
        objectName: "errorMessage"
        Layout.fillWidth: true
        text: banner.message
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        font.pixelSize: Theme.calloutSize
    }
}
