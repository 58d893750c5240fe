import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane

// The files Orvane had taken and not opened when it last ended (a quit, a
// logout, a crash), with the choice to open them now or let them go.
BannerBox {
    id: banner

    property var files: []

    tint: Theme.orange
    tintOpacity: 0.12
    padding: 12
    spacing: 10
    systemImage: "exclamationmark.triangle.fill"
    symbolSize: 16
    symbolWidth: 16

    Label {
        Layout.fillWidth: true
        text: banner.files.length === 1 ? "Orvane ended before it opened this file:"
                                        : "Orvane ended before it opened these " + banner.files.length + " files:"
        wrapMode: Text.Wrap
        font.pixelSize: Theme.calloutSize
        font.bold: true
    }
    Label {
        objectName: "unopenedFileList"
        Layout.fillWidth: true
        text: banner.files.join("\n")
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        maximumLineCount: 6
        elide: Text.ElideRight
        font.pixelSize: Theme.calloutSize
    }
    RowLayout {
        spacing: 8
        PushButton {
            objectName: "openUnopenedFilesButton"
            text: banner.files.length === 1 ? "Open It" : "Open Them"
            onClicked: AppModel.openUnopenedFiles()
        }
        PushButton {
            objectName: "dismissUnopenedFilesButton"
            text: "Dismiss"
            onClicked: AppModel.dismissUnopenedFiles()
        }
    }
}
