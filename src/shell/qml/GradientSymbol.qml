import QtQuick
import Orvane.Shell

// A symbol filled with a soft top-to-bottom gradient of one colour, drawn as horizontal bands.
Item {
    id: root
    property string name
    property real size: 16
    property color color: "white"
    readonly property int bands: 10
    implicitWidth: probe.implicitWidth
    implicitHeight: probe.implicitHeight
    Symbol { id: probe; name: root.name; size: root.size; visible: false }
    Repeater {
        model: root.bands
        Item {
            required property int index
            clip: true
            width: root.width
            y: Math.floor(index * root.height / root.bands)
            height: Math.ceil(root.height / root.bands) + 1
            Symbol {
                y: -parent.y
                width: root.width
                height: root.height
                name: root.name
                size: root.size
                color: Qt.tint(Theme.gradientTop(root.color),
                               Qt.rgba(Theme.gradientBottom(root.color).r, Theme.gradientBottom(root.color).g,
                                       Theme.gradientBottom(root.color).b, (index + 0.5) / root.bands))
            }
        }
    }
}
