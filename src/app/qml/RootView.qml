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

    Component {
        id: onboardingView
        OnboardingView {}
    }
    Component {
        id: homeView
        HomeView {}
    }
}
