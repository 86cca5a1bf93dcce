import QtQuick
import Orvane.Shell
import QtQuick.Window

// Close, minimize and zoom as small circles at the window's top-left.
Row {
    id: controls
    property var window
    spacing: 8
    property bool hovered: false

    component Dot: Rectangle {
        id: dot
        property color fill
        property string glyph
        signal clicked()
        width: 12; height: 12; radius: 6
        color: fill
        border.width: 1
        border.color: Qt.darker(fill, 1.25)
        Text {
            anchors.centerIn: parent
            visible: controls.hovered
            text: dot.glyph
            font.pixelSize: 10
            font.bold: true
            color: Qt.rgba(0, 0, 0, 0.55)
        }
        MouseArea {
            anchors.fill: parent
            hoverEnabled: true
            onContainsMouseChanged: controls.hovered = containsMouse
            onClicked: dot.clicked()
        }
    }

    Dot { objectName: "windowClose"; fill: "#FF5F57"; glyph: "×"; onClicked: controls.window.close() }
    Dot { objectName: "windowMinimize"; fill: "#FEBC2E"; glyph: "−"; onClicked: controls.window.showMinimized() }
    Dot {
        objectName: "windowZoom"; fill: "#28C840"; glyph: "+"
        onClicked: controls.window.visibility === Window.Maximized ? controls.window.showNormal()
                                                                   : controls.window.showMaximized()
    }
}
