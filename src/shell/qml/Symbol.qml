import QtQuick
import Orvane.Shell

// A symbol by name, drawn from the icon font.
Text {
    property string name
    property real size: 16
    property bool semibold: false
    text: Symbols.glyph(name)
    font.family: Symbols.fontFamily
    font.pixelSize: Math.round(size * 1.18)
    color: "white"
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    renderType: Text.QtRendering
    Accessible.ignored: true // a glyph; its control carries the name
}
