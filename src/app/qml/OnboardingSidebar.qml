import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// Onboarding's list of steps. Any step can be chosen at any time.
Rectangle {
    id: sidebar

    property var steps: []
    property int selectedStep
    signal stepChosen(int index)

    color: Theme.controlBackground

    ColumnLayout {
        anchors.fill: parent
        spacing: 8

        Label {
            Layout.leftMargin: 18
            Layout.rightMargin: 18
            Layout.topMargin: 22
            text: "Setup"
            color: Theme.secondaryText
            font.pixelSize: Theme.captionSize
            font.weight: Font.DemiBold
        }
        Repeater {
            model: sidebar.steps

            PushButton {
                id: stepButton

                required property var modelData
                required property int index
                readonly property bool isSelected: index === sidebar.selectedStep

                objectName: "sidebarStep_" + modelData.key
                Layout.fillWidth: true
                Layout.leftMargin: 8
                Layout.rightMargin: 8
                leftPadding: 12
                rightPadding: 12
                topPadding: 9
                bottomPadding: 9
                implicitWidth: implicitContentWidth + leftPadding + rightPadding
                implicitHeight: Math.max(42, implicitContentHeight + topPadding + bottomPadding)
                text: modelData.title
                onClicked: sidebar.stepChosen(index)

                background: Rectangle {
                    radius: 8
                    color: stepButton.isSelected ? Theme.tinted(Theme.accent, 0.14) : "transparent"
                    // Where Tab has taken the focus.
                    border.width: stepButton.visualFocus ? 2 : 0
                    border.color: Theme.accent
                }
                contentItem: RowLayout {
                    spacing: 10

                    Item {
                        implicitWidth: 22
                        implicitHeight: 18

                        Symbol {
                            anchors.centerIn: parent
                            name: stepButton.modelData.symbol
                            size: 18
                        }
                    }
                    Label {
                        Layout.fillWidth: true
                        text: stepButton.text
                        elide: Text.ElideRight
                        font.pixelSize: Theme.bodySize
                    }
                }
            }
        }
        Item {
            Layout.fillHeight: true
        }
    }
}
