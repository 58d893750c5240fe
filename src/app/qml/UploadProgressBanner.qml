import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Fusion.impl
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
        id: uploadBar
        objectName: "uploadBar"
        Layout.fillWidth: true
        from: 0
        to: 1
        value: AppModel.uploadFraction

        // The style's bar without its picture for the indeterminate state,
        // which this bar never is: Qt Quick would keep that picture in its
        // image cache, whose timer wakes Orvane in the tray once after the
        // views are released.
        contentItem: Item {
            implicitWidth: 120
            implicitHeight: 24
            scale: uploadBar.mirrored ? -1 : 1

            Rectangle {
                height: parent.height
                width: uploadBar.position * parent.width
                radius: 2
                border.color: Qt.darker(Fusion.highlight(uploadBar.palette), 1.4)
                gradient: Gradient {
                    GradientStop {
                        position: 0
                        color: Qt.lighter(Fusion.highlight(uploadBar.palette), 1.2)
                    }
                    GradientStop {
                        position: 1
                        color: Fusion.highlight(uploadBar.palette)
                    }
                }
            }
        }
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
