import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane

// The main window once setup is complete: what Orvane does, the connection
// and the opening mode, the upload under way, the recent files, the last
// error and the status.
// The bottom row stays at the window's bottom edge; above it everything fits
// from the smallest window size up, an error banner included, the recent
// files taking the room there is. Where it cannot (no files yet, whose
// placeholder keeps its height), the page scrolls and shows its scroll bar.
Item {
    id: home

    objectName: "homeView"

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        Flickable {
            id: page

            objectName: "homePage"
            Layout.fillWidth: true
            Layout.fillHeight: true
            contentWidth: width
            contentHeight: Math.max(height, content.implicitHeight + 28 + 22)
            boundsBehavior: Flickable.StopAtBounds
            clip: true
            ScrollBar.vertical: ScrollBar {
                policy: page.contentHeight > page.height ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
            }

            ColumnLayout {
                id: content
                x: 28
                y: 28
                width: page.width - 2 * 28
                height: page.contentHeight - 28 - 22
                spacing: 22

                HeaderBlock {
                    Layout.fillWidth: true
                    title: "Orvane"
                    subtitle: PlatformTexts.homeSubtitle
                    systemImage: "doc.badge.arrow.up"
                }
                RowLayout {
                    spacing: 8

                    StatusPill {
                        objectName: "connectionPill"
                        title: AppModel.isConnected ? "Google connected" : "Google not connected"
                        systemImage: AppModel.isConnected ? "checkmark.circle.fill" : "exclamationmark.circle.fill"
                        isPositive: AppModel.isConnected
                    }
                    StatusPill {
                        objectName: "modePill"
                        title: AppModel.officeOpenMode === "officePreserved" ? "Office format mode" : "Google format mode"
                        systemImage: "slider.horizontal.3"
                        isPositive: true
                    }
                }
                UnopenedFilesBanner {
                    objectName: "unopenedFilesBanner"
                    Layout.fillWidth: true
                    visible: files.length > 0
                    files: AppModel.unopenedFiles
                }
                UploadProgressBanner {
                    objectName: "uploadBanner"
                    Layout.fillWidth: true
                    visible: AppModel.isUploading
                }
                TipBanner {
                    Layout.fillWidth: true
                    title: "オンボーディングはいつでも見直せます"
                    message: PlatformTexts.revisitOnboardingTip
                    systemImage: "menubar.rectangle"
                }
                RecentFilesList {
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    records: AppModel.recentRecords
                }
                ErrorBanner {
                    objectName: "errorBanner"
                    Layout.fillWidth: true
                    visible: AppModel.lastError !== ""
                    message: AppModel.lastError
                }
            }
        }
        RowLayout {
            objectName: "bottomRow"
            Layout.fillWidth: true
            Layout.leftMargin: 28
            Layout.rightMargin: 28
            Layout.bottomMargin: 28
            spacing: 8

            SymbolButton {
                objectName: "copyURLButton"
                text: "Copy last Google URL"
                symbol: "link"
                enabled: AppModel.lastOpenedURL.toString() !== ""
                onClicked: AppModel.copyLastOpenedURL()
            }
            SymbolButton {
                objectName: "preferencesButton"
                text: "Preferences"
                symbol: "gearshape"
                onClicked: AppModel.showPreferencesWindow()
            }
            Label {
                objectName: "statusText"
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignRight
                elide: Text.ElideRight
                text: AppModel.statusMessage
                textFormat: Text.PlainText
                color: Theme.secondaryText
                font.pixelSize: Theme.footnoteSize
            }
        }
    }
}
