import QtQuick

// A symbol of Orvane's symbol library, by its name, painted in one colour,
// about size points square. Qt asks for the picture at the screen's pixel
// density; the symbol takes the whole number of the screen's pixels that
// comes nearest (15 points at scale 1.5 would be 22.5), and its pixels are
// copied, not resampled, where a layout puts it between two pixels: either
// would blur it. It is drawn again rather than kept in Qt Quick's image
// cache, which empties itself on a timer: that timer would wake Orvane in the
// tray once more after its windows were released.
Image {
    property string name
    property color color: Theme.text
    property real size: 16

    readonly property real side: Math.round(size * Screen.devicePixelRatio) / Screen.devicePixelRatio

    sourceSize: Qt.size(side, side)
    fillMode: Image.PreserveAspectFit
    smooth: false
    cache: false
    source: name.length > 0 ? Theme.symbolSource(name, color) : ""
}
