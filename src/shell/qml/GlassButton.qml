import QtQuick
import Orvane.Shell

// A capsule button: "prominent" is filled with a gradient of `tint`, otherwise a light glass pane.
// Its text is white, or dark where white would not read on the tint.
Pressable {
    id: button
    property string text
    property string symbol
    property color tint: "white"
    property bool prominent: true
    property real textSize: Theme.body
    property bool bold: true
    property real horizontalPadding: 16
    property real verticalPadding: 8
    property real fixedWidth: 0
    property real fixedHeight: 0
    readonly property color textColor: prominent ? Colors.textOn(tint) : "white"
    accessibleName: text
    ringRadius: height / 2 + 3

    implicitWidth: fixedWidth > 0 ? fixedWidth : row.implicitWidth + 2 * horizontalPadding
    implicitHeight: fixedHeight > 0 ? fixedHeight : row.implicitHeight + 2 * verticalPadding
    opacity: enabled ? 1 : 0.4
    scale: pressed ? 0.97 : 1
    Behavior on scale { EaseOut { duration: 120 } }

    Shadow {
        target: face
        visible: button.prominent && button.enabled
        color: Theme.tint(button.tint, 0.35)
        blur: 10
        offsetY: 3
        cornerRadius: face.radius
    }
    Rectangle {
        id: face
        anchors.fill: parent
        radius: height / 2
        gradient: Gradient {
            GradientStop { position: 0; color: button.prominent ? Theme.gradientTop(button.tint) : Theme.white(button.hovered ? 0.16 : 0.1) }
            GradientStop { position: 1; color: button.prominent ? Theme.gradientBottom(button.tint) : Theme.white(button.hovered ? 0.1 : 0.06) }
        }
        border.width: 1
        border.color: Theme.white(button.prominent ? 0.22 : 0.18)
    }
    // Gloss on the upper half
    Rectangle {
        anchors.fill: face
        anchors.margins: 1
        radius: face.radius
        visible: button.prominent
        gradient: Gradient {
            GradientStop { position: 0; color: Theme.white(button.hovered ? 0.28 : 0.2) }
            GradientStop { position: 0.5; color: Theme.white(0) }
        }
    }
    Row {
        id: row
        anchors.centerIn: parent
        spacing: 7
        Symbol {
            visible: button.symbol !== ""
            name: button.symbol
            size: button.textSize
            color: button.textColor
            anchors.verticalCenter: parent.verticalCenter
        }
        Label {
            objectName: button.objectName + "Text"
            text: button.text
            size: button.textSize
            bold: button.bold
            color: button.textColor
            anchors.verticalCenter: parent.verticalCenter
        }
    }
}
