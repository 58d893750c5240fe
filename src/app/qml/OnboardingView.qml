import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane

// Setup, step by step: a sidebar of the six steps beside the page of the
// chosen one, with Back and Next below it and, on the last step, the button
// that completes onboarding. Which step is shown and whether the help sheet
// is open are this view's own; everything else is the model's.
Item {
    id: onboarding

    // In order; a step's index is its raw value.
    readonly property var steps: [
        { key: "welcome", title: "ようこそ", symbol: "hand.wave", page: welcomeStep },
        { key: "connect", title: "Google に接続", symbol: "person.crop.circle.badge.checkmark", page: connectStep },
        { key: "destination", title: "Drive 保存先", symbol: "folder", page: destinationStep },
        { key: "mode", title: "開き方モード", symbol: "slider.horizontal.3", page: modeStep },
        { key: "doubleClick", title: "ダブルクリック設定", symbol: "cursorarrow.click.2", page: doubleClickStep },
        { key: "testFile", title: "テストファイル", symbol: "play.circle", page: testFileStep }
    ]
    property int selectedStep: 0
    property bool showingDoubleClickHelp: false
    readonly property string selectedStepKey: steps[selectedStep].key

    objectName: "onboardingView"

    RowLayout {
        anchors.fill: parent
        spacing: 0

        OnboardingSidebar {
            Layout.preferredWidth: 220
            Layout.fillHeight: true
            steps: onboarding.steps
            selectedStep: onboarding.selectedStep
            onStepChosen: index => onboarding.selectedStep = index
        }
        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 0

            ScrollView {
                id: page
                Layout.fillWidth: true
                Layout.fillHeight: true
                contentWidth: availableWidth

                Item {
                    width: page.availableWidth
                    implicitHeight: stepPage.implicitHeight + 2 * 34

                    Loader {
                        id: stepPage
                        x: 34
                        y: 34
                        width: parent.width - 2 * 34
                        sourceComponent: onboarding.steps[onboarding.selectedStep].page
                    }
                }
            }
            Rectangle {
                Layout.fillWidth: true
                implicitHeight: 1
                color: Theme.separator
            }
            OnboardingFooter {
                id: footer
                Layout.fillWidth: true
                isFirstStep: onboarding.selectedStep === 0
                isLastStep: onboarding.selectedStep === onboarding.steps.length - 1
                // Connecting is the one step that must be done before moving on.
                nextEnabled: onboarding.selectedStepKey !== "connect" || AppModel.isConnected
                onBack: onboarding.selectedStep -= 1
                onNext: onboarding.selectedStep += 1
            }
        }
    }

    // Return presses the page's default button (the help sheet has its own).
    Shortcut {
        sequences: ["Return", "Enter"]
        enabled: !onboarding.showingDoubleClickHelp && footer.defaultButton.enabled
        onActivated: footer.defaultButton.clicked()
    }

    DoubleClickHelpView {
        visible: onboarding.showingDoubleClickHelp
        onClosed: onboarding.showingDoubleClickHelp = false
    }

    Component {
        id: welcomeStep
        WelcomeStep {}
    }
    Component {
        id: connectStep
        ConnectStep {}
    }
    Component {
        id: destinationStep
        DestinationStep {}
    }
    Component {
        id: modeStep
        ModeStep {}
    }
    Component {
        id: doubleClickStep
        DoubleClickStep {
            onHelpRequested: onboarding.showingDoubleClickHelp = true
        }
    }
    Component {
        id: testFileStep
        TestFileStep {}
    }
}
