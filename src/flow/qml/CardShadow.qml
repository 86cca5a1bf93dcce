pragma ComponentBehavior: Bound
import QtQuick
import Orvane.Shell

// A soft shadow or glow behind `target` (a sibling) that stays cheap at any height. A painted
// shadow holds an image as large as itself, so behind a tall card (an expanded category of
// thousands of files) it is drawn from three pieces of one short shadow: its top, its bottom, and
// one of its middle rows stretched between them. Away from the corners every row of a blurred
// rounded rectangle is the same, so the pieces draw exactly what one tall shadow would.
Item {
    id: root
    property Item target
    property color color: "black"
    property real blur: 8
    property real cornerRadius: 0
    property real offsetY: 0
    property bool knockout: false

    readonly property real pad: Math.ceil(blur * 1.5) + 2 // SoftShadow's margin around its shape
    // Rows this far from either end of the shadow are past the corners and their blur.
    readonly property real cap: 2 * pad + cornerRadius + Math.abs(offsetY) + 2
    readonly property real fullHeight: target ? target.height + 2 * pad : 0
    readonly property bool tall: fullHeight > 2 * cap + 8

    x: target ? target.x - pad : 0
    y: target ? target.y - pad + offsetY : 0
    width: target ? target.width + 2 * pad : 0
    height: fullHeight
    z: -1
    visible: opacity > 0 && color.a > 0

    component Piece: SoftShadow {
        width: root.width
        height: root.tall ? 2 * root.cap + 2 : root.height
        color: root.color
        blur: root.blur
        cornerRadius: root.cornerRadius
        knockout: root.knockout
        knockoutDy: -root.offsetY
    }

    // An ordinary card: one shadow. (A hidden shadow, a glow not lit yet, is not even made; each
    // is a Repeater of one, as Qt 6.4's Loader cannot make this file's bound components.)
    Repeater {
        model: !root.tall && root.visible ? 1 : 0
        delegate: Piece {}
    }
    // A tall card: top, stretched middle, bottom.
    Repeater {
        model: root.tall && root.visible ? 1 : 0
        delegate: Item {
            width: root.width
            height: root.height
            Item {
                width: parent.width; height: root.cap
                clip: true
                Piece {}
            }
            Item {
                id: middle
                y: root.cap
                width: parent.width; height: root.height - 2 * root.cap
                clip: true
                Piece {
                    // Rows [cap, cap + 2) of the short shadow, stretched over the middle.
                    y: middle.height / 2 - root.cap - 1
                    transform: Scale { origin.y: root.cap + 1; yScale: middle.height / 2 }
                }
            }
            Item {
                y: root.height - root.cap
                width: parent.width; height: root.cap
                clip: true
                Piece { y: root.cap - height }
            }
        }
    }
}
