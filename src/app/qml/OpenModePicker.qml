import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane

// How Office files are opened, as radio buttons bound to the model: one
// choice, wherever it is shown.
RowLayout {
    id: picker

    property string label
    // { value, title, caption (optional) } per option, in order.
    property var options: []

    objectName: "openModePicker"
    spacing: 12

    Label {
        Layout.alignment: Qt.AlignTop
        topPadding: 3
        text: picker.label
        font.pixelSize: Theme.bodySize
    }
    ColumnLayout {
        Layout.fillWidth: true
        spacing: 8

        ButtonGroup {
            id: choice
        }
        Repeater {
            model: picker.options

            RadioButton {
                id: option

                required property var modelData

                objectName: "option_" + modelData.value
                Layout.fillWidth: true
                text: modelData.title
                checked: AppModel.officeOpenMode === modelData.value
                ButtonGroup.group: choice
                onToggled: AppModel.officeOpenMode = modelData.value
                indicator.y: option.topPadding + 1

                contentItem: ColumnLayout {
                    spacing: 2

                    Label {
                        Layout.fillWidth: true
                        leftPadding: option.indicator.width + option.spacing
                        text: option.text
                        wrapMode: Text.Wrap
                        font.pixelSize: Theme.bodySize
                    }
                    Label {
                        Layout.fillWidth: true
                        visible: text !== ""
                        leftPadding: option.indicator.width + option.spacing
                        text: option.modelData.caption ?? ""
                        wrapMode: Text.Wrap
                        color: Theme.secondaryText
                        font.pixelSize: Theme.captionSize
                    }
                }
            }
        }
    }
}
