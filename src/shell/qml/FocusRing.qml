import QtQuick
import Orvane.Shell

// The keyboard focus around its parent, in the open section's accent: shown while the parent
// (or `target`) has the focus and the user works with the keyboard.
Rectangle {
    property Item target: parent
    property real inset: -3
    // Where the focus is a position inside the target (a list's current row), the list says so.
    property bool shown: target !== null && target.activeFocus
    anchors.fill: parent
    anchors.margins: inset
    z: 100
    visible: shown && KeyboardMode.active
    color: "transparent"
    border.width: 2
    border.color: Theme.focusColor
    radius: 10
}
