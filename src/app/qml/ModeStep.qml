import QtQuick
import QtQuick.Layouts

// Onboarding: converting Office files or keeping their format.
ColumnLayout {
    spacing: 22

    HeaderBlock {
        Layout.fillWidth: true
        title: "Office ファイルの開き方"
        subtitle: "v1.0 のデフォルトは Google 形式です。CSV / TSV は常に Google Sheets にインポートします。"
        systemImage: "slider.horizontal.3"
    }
    OpenModePicker {
        Layout.fillWidth: true
        label: "Office files"
        options: [
            { value: "googleFormat", title: "Google形式モード", caption: "Docs / Sheets / Slides に変換して開く" },
            { value: "officePreserved", title: "Office形式維持モード", caption: "Office 形式のまま Drive にアップロードする" }
        ]
    }
}
