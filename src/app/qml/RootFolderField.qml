import QtQuick
import QtQuick.Controls
import Orvane

// The name of Orvane's folder in My Drive. Every keystroke is handed to the
// model at once; an emptied field is an empty name, not the default.
TextField {
    objectName: "rootFolderField"
    // The label beside or above it is a text of its own.
    Accessible.name: "Root folder"
    text: AppModel.rootFolderName
    onTextEdited: AppModel.rootFolderName = text
}
