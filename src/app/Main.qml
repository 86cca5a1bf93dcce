pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Window
import Orvane.Shell

// The one window: frameless, content up to the top edge, our own drag strip, buttons and edges.
Window {
    id: window
    objectName: "mainWindow"
    visible: true
    flags: Qt.Window | Qt.FramelessWindowHint
    // Within the screen's free area at any scale: a small or highly scaled screen gets a window
    // that fits, never one whose bottom buttons lie off screen.
    minimumWidth: Math.min(960, Screen.desktopAvailableWidth)
    minimumHeight: Math.min(640, Screen.desktopAvailableHeight)
    width: Math.min(1120, Screen.desktopAvailableWidth)
    height: Math.min(740, Screen.desktopAvailableHeight)
    color: "#140a24"
    title: "Orvane"

    ContentView { id: content; anchors.fill: parent }

    // Dragging the top strip moves the window (and lets the desktop snap it to edges and
    // tiles like its other windows); a double click maximizes or restores it.
    MouseArea {
        objectName: "dragStrip"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        height: 26
        z: 50
        acceptedButtons: Qt.LeftButton
        onPressed: window.startSystemMove()
        onDoubleClicked: window.visibility === Window.Maximized ? window.showNormal() : window.showMaximized()
    }

    // The window buttons on the sides and in the order the desktop uses for its other windows.
    WindowControls {
        objectName: "windowControlsLeft"
        window: window
        buttons: WindowButtons.left
        x: 12; y: 6
        z: 60
    }
    WindowControls {
        objectName: "windowControlsRight"
        window: window
        buttons: WindowButtons.right
        anchors.right: parent.right
        anchors.rightMargin: 12
        y: 6
        z: 60
    }

    // Resizing from the edges and corners.
    component Edge: MouseArea {
        property int edges
        z: 70
        hoverEnabled: true
        acceptedButtons: Qt.LeftButton
        onPressed: window.startSystemResize(edges)
    }
    Edge { edges: Qt.LeftEdge; cursorShape: Qt.SizeHorCursor; x: 0; y: 6; width: 5; height: parent.height - 12 }
    Edge { edges: Qt.RightEdge; cursorShape: Qt.SizeHorCursor; x: parent.width - 5; y: 6; width: 5; height: parent.height - 12 }
    Edge { edges: Qt.BottomEdge; cursorShape: Qt.SizeVerCursor; x: 6; y: parent.height - 5; width: parent.width - 12; height: 5 }
    Edge { edges: Qt.TopEdge; cursorShape: Qt.SizeVerCursor; x: 6; y: 0; width: parent.width - 12; height: 3 }
    Edge { edges: Qt.LeftEdge | Qt.BottomEdge; cursorShape: Qt.SizeBDiagCursor; x: 0; y: parent.height - 8; width: 8; height: 8 }
    Edge { edges: Qt.RightEdge | Qt.BottomEdge; cursorShape: Qt.SizeFDiagCursor; x: parent.width - 8; y: parent.height - 8; width: 8; height: 8 }
    Edge { edges: Qt.LeftEdge | Qt.TopEdge; cursorShape: Qt.SizeFDiagCursor; x: 0; y: 0; width: 6; height: 6 }
    Edge { edges: Qt.RightEdge | Qt.TopEdge; cursorShape: Qt.SizeBDiagCursor; x: parent.width - 6; y: 0; width: 6; height: 6 }
}
