import QtQuick
import Orvane.Shell

// A symbol in a light circle (home, settings, about); its tooltip is its accessible name.
Pressable {
    id: button
    property string symbol
    property real symbolSize: 15
    property real fill: 0.12
    property real edge: 0.2
    property real symbolOpacity: 1
    property string tooltip
    accessibleName: tooltip
    ringRadius: width / 2 + 3
    implicitWidth: 34
    implicitHeight: 34

    Rectangle {
        anchors.fill: parent
        radius: width / 2
        color: Theme.white(button.hovered ? button.fill + 0.06 : button.fill)
        border.width: 1
        border.color: Theme.white(button.edge)
    }
    Symbol {
        anchors.centerIn: parent
        name: button.symbol
        size: button.symbolSize
        color: Theme.white(button.symbolOpacity)
    }
    HoverTip { visible: button.tooltip !== "" && button.hovered; text: button.tooltip }
}
