import QtQuick
import Orvane.Shell

// Anything pressed like a button: by the pointer, by Space, Return or Enter once it has the
// keyboard focus (Tab reaches it), and by a screen reader's press action. It carries its own
// focus ring; `accessibleName` is what screen readers call it.
Item {
    id: control
    signal clicked()
    property string accessibleName
    property string accessibleDescription
    property alias ringRadius: ring.radius
    property alias ringInset: ring.inset
    readonly property bool hovered: area.containsMouse
    readonly property bool pressed: area.pressed
    property alias cursorShape: area.cursorShape

    activeFocusOnTab: true // Tab passes over hidden and disabled ones
    Accessible.role: Accessible.Button
    Accessible.name: accessibleName
    Accessible.description: accessibleDescription
    Accessible.focusable: true
    Accessible.focused: activeFocus
    Accessible.onPressAction: if (control.enabled) control.clicked()
    // Pressed on the key's release, as buttons are, so a key held down presses once (its repeats
    // are ignored) and the press never lands on what the button opens.
    property bool keyArmed: false
    function isPressKey(event) {
        return event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter
    }
    Keys.onPressed: (event) => {
        if (isPressKey(event)) {
            event.accepted = true
            keyArmed = true
        }
    }
    Keys.onReleased: (event) => {
        if (isPressKey(event)) {
            event.accepted = true
            if (!event.isAutoRepeat && keyArmed && control.enabled) {
                keyArmed = false
                control.clicked()
            }
        }
    }
    onActiveFocusChanged: keyArmed = false

    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: control.clicked()
    }
    FocusRing { id: ring }
}
