import QtQuick
import Orvane.Shell
import QtQuick.Controls.Basic as Controls

// A symbol in a light circle (home, settings, about).
Item {
    id: button
    property string symbol
    property real symbolSize: 15
    property real fill: 0.12
    property real edge: 0.2
    property real symbolOpacity: 1
    property string tooltip
    signal clicked()
    implicitWidth: 34
    implicitHeight: 34

    Rectangle {
        anchors.fill: parent
        radius: width / 2
        color: Theme.white(area.containsMouse ? button.fill + 0.06 : button.fill)
        border.width: 1
        border.color: Theme.white(button.edge)
    }
    Symbol {
        anchors.centerIn: parent
        name: button.symbol
        size: button.symbolSize
        color: Theme.white(button.symbolOpacity)
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: button.clicked()
    }
    Controls.ToolTip.visible: tooltip !== "" && area.containsMouse
    Controls.ToolTip.text: tooltip
    Controls.ToolTip.delay: 600
}
