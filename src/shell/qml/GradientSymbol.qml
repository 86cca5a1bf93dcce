pragma ComponentBehavior: Bound
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
    // Composed once at its own size, then scaled and faded as one picture: scaled or faded band
    // by band, the bands' edges showed as horizontal stripes.
    layer.enabled: true
    layer.smooth: true
    Repeater {
        model: root.bands
        Item {
            id: band
            required property int index
            clip: true
            width: root.width
            // Whole pixels that meet exactly: no band overlaps the next.
            y: Math.floor(index * root.height / root.bands)
            height: Math.floor((index + 1) * root.height / root.bands) - y
            Symbol {
                y: -parent.y
                width: root.width
                height: root.height
                name: root.name
                size: root.size
                color: Qt.tint(Theme.gradientTop(root.color),
                               Qt.rgba(Theme.gradientBottom(root.color).r, Theme.gradientBottom(root.color).g,
                                       Theme.gradientBottom(root.color).b, (band.index + 0.5) / root.bands))
            }
        }
    }
}
