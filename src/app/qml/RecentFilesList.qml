import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// The recently opened files, newest first, each with a button that opens
// its Google file in the browser; a placeholder while there are none.
ColumnLayout {
    id: recentFiles

    // Maps as the model gives them (fileName, fileExtension, openURL, …).
    property var records: []
    readonly property bool isEmpty: records.length === 0
    readonly property int maximumRows: 10

    // The symbol for a file's extension, compared exactly as recorded.
    function iconName(fileExtension) {
        switch (fileExtension) {
        case "csv":
        case "tsv":
        case "xls":
        case "xlsx":
        case "xlsm":
            return "tablecells"
        case "doc":
        case "docx":
            return "doc.text"
        case "ppt":
        case "pptx":
            return "rectangle.on.rectangle"
        default:
            return "doc"
        }
    }

    spacing: 12

    Label {
        text: "Recent Files"
        font.pixelSize: Theme.headlineSize
        font.weight: Font.DemiBold
    }
    EmptyRecentFilesView {
        objectName: "emptyRecentFiles"
        Layout.fillWidth: true
        Layout.fillHeight: true
        Layout.maximumHeight: 180
        visible: recentFiles.isEmpty
    }
    // As tall as the window allows; two rows at the least.
    Rectangle {
        Layout.fillWidth: true
        Layout.fillHeight: true
        Layout.preferredHeight: 2 * 44 + 12
        visible: !recentFiles.isEmpty
        radius: 8
        color: Theme.controlBackground
        border.color: Theme.separator

        ListView {
            objectName: "recentFilesListView"
            anchors.fill: parent
            anchors.margins: 6
            clip: true
            model: recentFiles.records.slice(0, recentFiles.maximumRows)
            ScrollBar.vertical: ScrollBar {}
            delegate: RecentFileRow {
                required property var modelData
                width: ListView.view.width
                record: modelData
                iconName: recentFiles.iconName(modelData.fileExtension)
            }
        }
    }
}
