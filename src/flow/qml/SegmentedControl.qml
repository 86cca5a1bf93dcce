pragma ComponentBehavior: Bound
import QtQuick
import Orvane.Shell

// A two-or-more segment picker; its label is for accessibility only. One Tab stop: Left and
// Right choose the neighbouring segment.
Item {
    id: control
    property var values: []
    property var labels: []
    property string current
    property string accessibleLabel
    signal chosen(string value)
    implicitHeight: 28
    Accessible.name: accessibleLabel
    Accessible.role: Accessible.PageTabList
    Accessible.focusable: true
    Accessible.focused: activeFocus
    Accessible.description: labels[values.indexOf(current)] ?? ""
    activeFocusOnTab: true
    function choose(step) {
        const i = values.indexOf(current) + step
        if (i >= 0 && i < values.length)
            chosen(values[i])
    }
    Keys.onLeftPressed: choose(-1)
    Keys.onRightPressed: choose(1)
    FocusRing { radius: 11 }

    Rectangle {
        anchors.fill: parent
        radius: 8
        color: Theme.white(0.08)
        border.width: 1
        border.color: Theme.white(0.12)
    }
    Rectangle {
        id: thumb
        readonly property int currentIndex: Math.max(0, control.values.indexOf(control.current))
        width: control.values.length > 0 ? (control.width - 4) / control.values.length : 0
        height: control.height - 4
        x: 2 + currentIndex * width
        y: 2
        radius: 6
        gradient: Gradient {
            GradientStop { position: 0; color: Theme.white(0.3) }
            GradientStop { position: 1; color: Theme.white(0.2) }
        }
        border.width: 1
        border.color: Theme.white(0.25)
        Behavior on x { EaseOut {} }
    }
    Row {
        anchors.fill: parent
        anchors.margins: 2
        Repeater {
            model: control.values.length
            Item {
                id: segment
                required property int index
                objectName: control.objectName + "_" + control.values[segment.index]
                Accessible.role: Accessible.PageTab
                Accessible.name: control.labels[segment.index] ?? ""
                Accessible.checkable: true
                Accessible.checked: control.values[segment.index] === control.current
                Accessible.onPressAction: control.chosen(control.values[segment.index])
                width: (control.width - 4) / control.values.length
                height: control.height - 4
                Label {
                    anchors.centerIn: parent
                    text: control.labels[segment.index] ?? ""
                    semibold: control.values[segment.index] === control.current
                    color: Theme.white(control.values[segment.index] === control.current ? 1 : 0.7)
                }
                MouseArea {
                    anchors.fill: parent
                    cursorShape: Qt.PointingHandCursor
                    onClicked: control.chosen(control.values[segment.index])
                }
            }
        }
    }
}
