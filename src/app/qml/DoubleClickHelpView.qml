import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane

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

    // The steps scroll, with their scroll bar shown, where they are taller
    // than the sheet; "Done" stays at its bottom.
    contentItem: ColumnLayout {
        spacing: 18

        ScrollView {
            id: steps

            Layout.fillWidth: true
            Layout.fillHeight: true
            contentWidth: availableWidth
            ScrollBar.vertical.policy: contentHeight > availableHeight ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff

            ColumnLayout {
                width: steps.availableWidth
                spacing: 18

                HeaderBlock {
                    Layout.fillWidth: true
                    title: PlatformTexts.doubleClickHelpTitle
                    subtitle: "対応ファイルごとに一度設定すると、次回からダブルクリックで Orvane が受け取ります。"
                    systemImage: "cursorarrow.click.2"
                }
                InfoRows {
                    Layout.fillWidth: true
                    rows: PlatformTexts.doubleClickHelpSteps
                }
            }
        }
        RowLayout {
            Item {
                Layout.fillWidth: true
            }
            PushButton {
                objectName: "helpDoneButton"
                text: "Done"
                highlighted: true
                onClicked: sheet.close()
            }
        }
    }
}
