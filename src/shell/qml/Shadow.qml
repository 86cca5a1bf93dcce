import QtQuick
import Orvane.Shell

// A soft shadow or glow behind `target` (a sibling): colour, blur radius and offset.
SoftShadow {
    id: shadow
    property Item target
    property real offsetX: 0
    property real offsetY: 0
    knockoutDx: -offsetX
    knockoutDy: -offsetY
    x: target ? target.x - pad + offsetX : 0
    y: target ? target.y - pad + offsetY : 0
    width: target ? target.width + 2 * pad : 0
    height: target ? target.height + 2 * pad : 0
    z: -1
}
