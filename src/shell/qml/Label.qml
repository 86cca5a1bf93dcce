import QtQuick
import Orvane.Shell

Text {
    property real size: Theme.body
    property bool bold: false
    property bool semibold: false
    font.family: Theme.fontFamily
    font.pixelSize: size
    font.weight: bold ? Font.Bold : (semibold ? Font.DemiBold : Font.Normal)
    color: "white"
    renderType: Text.QtRendering
    textFormat: Text.PlainText // names from files and programs are data, never markup
}
