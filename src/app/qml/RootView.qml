import QtQuick
import QtQuick.Layouts
import Orvane

// The main window's content: onboarding until setup is complete or while
// the user reviews it, the home view otherwise. Switching makes a fresh view,
// so onboarding starts again at its first step.
Rectangle {
    id: rootView

    readonly property bool showsOnboarding: !AppModel.hasCompletedOnboarding || AppModel.isShowingOnboarding

    objectName: "rootView"
    implicitWidth: 820
    implicitHeight: 620
    color: Theme.windowBackground

    Shortcut {
        // Command-comma on macOS, where Qt reads Ctrl as Command.
        sequence: "Ctrl+,"
        context: Qt.ApplicationShortcut
        onActivated: AppModel.showPreferencesWindow()
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        WindowMenuBar {
            Layout.fillWidth: true
            visible: WindowMenu.isAvailable
        }
        Loader {
            Layout.fillWidth: true
            Layout.fillHeight: true
            sourceComponent: rootView.showsOnboarding ? onboardingView : homeView
        }
    }

    // Files dropped on the window are opened as if the file manager had
    // handed them over; anything but local files is not taken.
    DropArea {
        id: fileDrop

        objectName: "fileDrop"
        anchors.fill: parent
        keys: ["text/uri-list"]
        onEntered: drag => drag.accepted = drag.hasUrls && drag.urls.every(url => url.toString().startsWith("file:"))
        onDropped: drop => {
            AppModel.openFiles(drop.urls);
            drop.acceptProposedAction();
        }
    }
    Rectangle {
        anchors.fill: parent
        visible: fileDrop.containsDrag
        color: "transparent"
        border.width: 3
        border.color: Theme.accent
    }

    Component {
        id: onboardingView
        OnboardingView {}
    }
    Component {
        id: homeView
        HomeView {}
    }
}
