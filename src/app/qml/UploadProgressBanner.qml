import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane

// The upload under way: its file, a bar, the percent and the time left, and
// Cancel. Shown while the model says an upload shows.
BannerBox {
    id: banner

    tint: Theme.blue
    tintOpacity: 0.10
    padding: 14
    spacing: 12
    systemImage: "doc.badge.arrow.up"
    symbolSize: 18
    symbolWidth: 24

    Label {
        objectName: "uploadName"
        Layout.fillWidth: true
        text: "Uploading " + AppModel.uploadFileName
        textFormat: Text.PlainText
        elide: Text.ElideMiddle
        font.pixelSize: Theme.calloutSize
        font.weight: Font.DemiBold
    }
    ProgressBar {
        objectName: "uploadBar"
        Layout.fillWidth: true
        from: 0
        to: 1
        value: AppModel.uploadFraction
    }
    RowLayout {
        Layout.fillWidth: true
        spacing: 8

        Label {
            objectName: "uploadDetail"
            Layout.fillWidth: true
            text: AppModel.uploadPercent + "% \u2014 " + AppModel.uploadTimeLeft
            textFormat: Text.PlainText
            elide: Text.ElideRight
            color: Theme.secondaryText
            font.pixelSize: Theme.calloutSize
        }
        SymbolButton {
            objectName: "cancelUploadButton"
            text: "Cancel"
            symbol: "xmark.circle"
            onClicked: AppModel.cancelUpload()
        }
    }
}
