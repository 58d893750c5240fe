import QtQuick
import QtQuick.Layouts

// Onboarding: making Orvane the application the file manager opens these
// files with.
ColumnLayout {
    id: step

    signal helpRequested

    spacing: 22

    HeaderBlock {
        Layout.fillWidth: true
        title: "Finder のダブルクリック設定"
        subtitle: "アプリの Info.plist は対応拡張子を登録します。既定アプリにするには Finder の「情報を見る」から Open With を Orvane に変更してください。"
        systemImage: "cursorarrow.click.2"
    }
    InfoRows {
        Layout.fillWidth: true
        rows: [
            { title: "CSV / TSV", detail: ".csv と .tsv を Orvane で開く" },
            { title: "Excel", detail: ".xls / .xlsx / .xlsm を Orvane で開く" },
            { title: "Word", detail: ".doc / .docx を Orvane で開く" },
            { title: "PowerPoint", detail: ".ppt / .pptx を Orvane で開く" }
        ]
    }
    SymbolButton {
        objectName: "helpButton"
        large: true
        text: "Finder での手動設定手順を表示"
        symbol: "questionmark.circle"
        onClicked: step.helpRequested()
    }
}
