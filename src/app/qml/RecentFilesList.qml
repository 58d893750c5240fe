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
        Layout.minimumHeight: 180
        visible: recentFiles.isEmpty
    }
    // As tall as the window allows, one row at the least. The list shows
    // whole rows only, so a row cut by the list's edge is never taken for
    // the last one.
    Rectangle {
        id: frame

        Layout.fillWidth: true
        Layout.fillHeight: true
        Layout.minimumHeight: list.rowHeight + 2 * list.anchors.margins
        Layout.preferredHeight: Layout.minimumHeight
        visible: !recentFiles.isEmpty
        radius: 8
        color: Theme.controlBackground
        border.color: Theme.separator

        ListView {
            id: list

            // Every row is as high as the first.
            readonly property real rowHeight: count > 0 ? contentHeight / count : 44

            objectName: "recentFilesListView"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.margins: 6
            height: Math.max(1, Math.floor((frame.height - 2 * anchors.margins) / rowHeight)) * rowHeight
            clip: true
            model: recentFiles.records.slice(0, recentFiles.maximumRows)
            ScrollBar.vertical: ScrollBar {
                policy: list.contentHeight > list.height ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
            }
            delegate: RecentFileRow {
                required property var modelData
                width: ListView.view.width
                record: modelData
                iconName: recentFiles.iconName(modelData.fileExtension)
            }
        }
    }
}
