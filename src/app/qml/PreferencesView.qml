import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane

// The preferences window: the Google account, how Office files open, the
// Drive folder, starting at login, and where local state is kept. Every
// change goes straight to the model; there is nothing to apply.
Rectangle {
    id: preferences

    objectName: "preferencesView"
    implicitWidth: 560
    implicitHeight: 440
    color: Theme.windowBackground

    // The user may have changed the desktop's start at login while the
    // window was away.
    Window.onVisibilityChanged: if (Window.visibility !== Window.Hidden) AppModel.refreshStartsAtLogin()
    Window.onActiveChanged: if (Window.active) AppModel.refreshStartsAtLogin()

    ScrollView {
        id: form
        objectName: "preferencesForm"
        anchors.fill: parent
        contentWidth: availableWidth
        // Shown whenever the form is taller than the window, so that a cut
        // at the edge reads as "more below".
        ScrollBar.vertical.policy: contentHeight > availableHeight ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff

        Item {
            width: form.availableWidth
            implicitHeight: sections.implicitHeight + 2 * 24

            ColumnLayout {
                id: sections
                x: 24
                y: 24
                width: parent.width - 2 * 24
                spacing: 16

                PreferencesSection {
                    Layout.fillWidth: true
                    title: "Google Account"

                    RowLayout {
                        Layout.fillWidth: true

                        SymbolLabel {
                            objectName: "accountStatus"
                            title: AppModel.isConnected ? "Connected" : "Not connected"
                            systemImage: AppModel.isConnected ? "checkmark.circle.fill"
                                                              : "person.crop.circle.badge.exclamationmark"
                        }
                        Item {
                            Layout.fillWidth: true
                        }
                        PushButton {
                            objectName: "accountButton"
                            text: AppModel.isConnected ? "Disconnect" : "Connect"
                            onClicked: AppModel.isConnected ? AppModel.disconnectGoogle() : AppModel.connectGoogle()
                        }
                    }
                    FootnoteText {
                        text: "Orvane uses the drive.file scope. It can access files it creates or that you explicitly open with the app, not your whole Drive."
                    }
                }
                PreferencesSection {
                    Layout.fillWidth: true
                    title: "Opening Mode"

                    OpenModePicker {
                        Layout.fillWidth: true
                        label: "Office files"
                        options: [
                            { value: "googleFormat", title: "Convert to Google Docs / Sheets / Slides" },
                            { value: "officePreserved", title: "Keep Office format on Drive" }
                        ]
                    }
                    FootnoteText {
                        text: "CSV and TSV are always imported into Google Sheets."
                    }
                }
                PreferencesSection {
                    Layout.fillWidth: true
                    title: "Drive Destination"

                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 12

                        Label {
                            text: "Root folder"
                            font.pixelSize: Theme.bodySize
                        }
                        RootFolderField {
                            Layout.fillWidth: true
                        }
                    }
                    FootnoteText {
                        text: "Default: My Drive / Opened from Mac, with CSV Imports, Sheets, Docs, and Slides subfolders."
                    }
                }
                PreferencesSection {
                    Layout.fillWidth: true
                    title: "Startup"

                    Switch {
                        objectName: "startAtLoginSwitch"
                        text: "Start Orvane when you log in"
                        checked: AppModel.startsAtLogin
                        onToggled: AppModel.startsAtLogin = checked
                    }
                    ErrorBanner {
                        objectName: "startAtLoginError"
                        Layout.fillWidth: true
                        visible: AppModel.startAtLoginError !== ""
                        message: AppModel.startAtLoginError
                    }
                }
                PreferencesSection {
                    Layout.fillWidth: true
                    title: "Local State"

                    FootnoteText {
                        objectName: "localStateNote"
                        text: AppModel.localStateNote
                    }
                }
                ErrorBanner {
                    objectName: "errorBanner"
                    Layout.fillWidth: true
                    visible: AppModel.lastError !== ""
                    message: AppModel.lastError
                }
            }
        }
    }
}
