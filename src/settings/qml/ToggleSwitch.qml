import QtQuick
import Orvane.Shell

// An on/off switch tinted with `tint`. It never flips itself: `checked` comes from outside and a
// click (or Space, Return) only asks for the other state through `toggled`.
Pressable {
    id: toggle
    property bool checked: false
    property color tint: Theme.accent("settings")
    signal toggled(bool on)
    onClicked: toggled(!checked)
    ringRadius: height / 2 + 3
    Accessible.role: Accessible.CheckBox
    Accessible.checkable: true
    Accessible.checked: checked
    Accessible.onToggleAction: toggled(!checked)
    implicitWidth: 40
    implicitHeight: 24

    Rectangle {
        id: track
        anchors.fill: parent
        radius: height / 2
        color: Theme.white(toggle.hovered ? 0.2 : 0.14)
        border.width: 1
        border.color: Theme.white(0.12)
    }
    Rectangle {
        anchors.fill: parent
        radius: height / 2
        opacity: toggle.checked ? 1 : 0
        Behavior on opacity { EaseOut {} }
        gradient: Gradient {
            GradientStop { position: 0; color: Theme.gradientTop(toggle.tint) }
            GradientStop { position: 1; color: Theme.gradientBottom(toggle.tint) }
        }
    }
    Shadow { target: knob; color: Theme.black(0.3); blur: 3; offsetY: 1; cornerRadius: knob.radius }
    Rectangle {
        id: knob
        width: toggle.height - 4
        height: width
        radius: width / 2
        y: 2
        x: toggle.checked ? toggle.width - width - 2 : 2
        color: "white"
        Behavior on x { Spring { response: 0.3; dampingFraction: 0.8 } }
    }
}
