import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// A sheet over onboarding: how to make Orvane the default application for
// a kind of file in the file manager. Return or "Done" closes it.
Popup {
    id: sheet

    objectName: "doubleClickHelp"
    anchors.centerIn: Overlay.overlay
    width: 560
    height: 460
    padding: 28
    modal: true
    closePolicy: Popup.CloseOnEscape

    Shortcut {
        sequences: ["Return", "Enter"]
        enabled: sheet.opened
        onActivated: sheet.close()
    }

    contentItem: ColumnLayout {
        spacing: 18

        HeaderBlock {
            Layout.fillWidth: true
            title: "Finder で既定アプリにする"
            subtitle: "対応ファイルごとに一度設定すると、次回からダブルクリックで Orvane が受け取ります。"
            systemImage: "cursorarrow.click.2"
        }
        InfoRows {
            Layout.fillWidth: true
            rows: [
                { title: "1. Finder で対象ファイルを選ぶ", detail: "CSV、Excel、Word、PowerPoint のいずれかを選択します。" },
                { title: "2. 「情報を見る」を開く", detail: "Command-I、または右クリックメニューから開きます。" },
                { title: "3. Open With を変更する", detail: "Orvane を選び、「Change All...」で同じ種類のファイルにも適用します。" },
                { title: "4. ダブルクリックで確認する", detail: "アプリが Google Drive にアップロードし、既定ブラウザで Google Workspace を開きます。" }
            ]
        }
        Item {
            Layout.fillHeight: true
        }
        RowLayout {
            Item {
                Layout.fillWidth: true
            }
            Button {
                objectName: "helpDoneButton"
                text: "Done"
                highlighted: true
                onClicked: sheet.close()
            }
        }
    }
}
