import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane

// Below every onboarding page: Back, the status line, and Next, or on the
// last step the button that completes onboarding ("Done" when reviewing).
Item {
    id: footer

    property bool isFirstStep
    property bool isLastStep
    property bool nextEnabled
    // What Return presses.
    readonly property Button defaultButton: isLastStep ? finishButton : nextButton
    signal back
    signal next

    implicitHeight: row.implicitHeight + 2 * 20

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 20
        spacing: 12

        PushButton {
            objectName: "backButton"
            text: "Back"
            enabled: !footer.isFirstStep
            onClicked: footer.back()
        }
        Label {
            objectName: "statusText"
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignRight
            // Two lines fit beside the buttons: long messages (a file's name,
            // what became the default) are shown whole.
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
            text: AppModel.statusMessage
            textFormat: Text.PlainText
            color: Theme.secondaryText
            font.pixelSize: Theme.footnoteSize
        }
        PushButton {
            id: nextButton
            objectName: "nextButton"
            visible: !footer.isLastStep
            text: "Next"
            highlighted: true
            enabled: footer.nextEnabled
            onClicked: footer.next()
        }
        PushButton {
            id: finishButton
            objectName: "finishButton"
            visible: footer.isLastStep
            text: AppModel.hasCompletedOnboarding ? "Done" : "Finish"
            highlighted: true
            enabled: AppModel.didOpenSampleFile || AppModel.hasCompletedOnboarding
            onClicked: AppModel.completeOnboarding()
        }
    }
}
