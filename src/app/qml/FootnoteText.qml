import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// A note below a control: small, secondary, wrapping.
Label {
    font.pixelSize: Theme.footnoteSize
    color: Theme.secondaryText
    wrapMode: Text.Wrap
    Layout.fillWidth: true
}
