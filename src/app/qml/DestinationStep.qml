import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// Onboarding: where on Drive the files go.
ColumnLayout {
    spacing: 22

    HeaderBlock {
        Layout.fillWidth: true
        title: "Drive 保存先"
        subtitle: "My Drive 直下にはばらまかず、Opened from Mac の下に用途別フォルダを作成して保存します。"
        systemImage: "folder"
    }
    ColumnLayout {
        Layout.fillWidth: true
        spacing: 12

        Label {
            text: "Root folder"
            font.pixelSize: Theme.headlineSize
            font.weight: Font.DemiBold
        }
        RootFolderField {
            Layout.fillWidth: true
            Layout.maximumWidth: 360
            placeholderText: "Opened from Mac"
        }
        FolderGrid {
            Layout.fillWidth: true
            folders: [
                { name: "CSV Imports", extensions: "csv / tsv", symbol: "tablecells" },
                { name: "Sheets", extensions: "xls / xlsx / xlsm", symbol: "tablecells.badge.ellipsis" },
                { name: "Docs", extensions: "doc / docx", symbol: "doc.text" },
                { name: "Slides", extensions: "ppt / pptx", symbol: "rectangle.on.rectangle" }
            ]
        }
    }
}
