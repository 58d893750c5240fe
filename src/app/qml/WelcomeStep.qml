import QtQuick
import QtQuick.Layouts
import Orvane

// Onboarding, first step: what Orvane is and what it never does.
ColumnLayout {
    spacing: 22

    HeaderBlock {
        Layout.fillWidth: true
        title: PlatformTexts.welcomeTitle
        subtitle: "CSV / Office ファイルをダブルクリックすると、Google Drive にアップロードして Docs / Sheets / Slides で開きます。"
        systemImage: "doc.badge.arrow.up"
    }
    InfoRows {
        Layout.fillWidth: true
        rows: [
            { title: "API キー不要", detail: "エンドユーザーが Google Cloud Console や API キーを設定する必要はありません。" },
            { title: "Drive for desktop 不要", detail: "同期アプリではなく、開いたファイルだけを Google Workspace に渡すランチャーです。" },
            { title: "元ファイルは変更しない", detail: "ローカルファイルは移動、削除、上書きしません。Google での編集内容は Drive 上に保存されます。" },
            { title: "完了まで毎回表示", detail: "セットアップが完了するまでは、アプリを開くたびにこのオンボーディングを表示します。" }
        ]
    }
}
