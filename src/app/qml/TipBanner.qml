import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// A blue box with a tip.
BannerBox {
    id: banner

    property string title
    property string message

    tint: Theme.blue
    tintOpacity: 0.10
    padding: 14
    spacing: 12
    symbolSize: 18
    symbolWidth: 24

    Label {
        Layout.fillWidth: true
        text: banner.title
        wrapMode: Text.Wrap
        font.pixelSize: Theme.calloutSize
        font.weight: Font.DemiBold
    }
    Label {
        objectName: "tipMessage"
        Layout.fillWidth: true
        text: banner.message
        wrapMode: Text.Wrap
        color: Theme.secondaryText
        font.pixelSize: Theme.calloutSize
    }
}
