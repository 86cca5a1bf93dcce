pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Window
import Orvane.Shell

// The window's own buttons, drawn in the app's style: the ones in `buttons` ("close",
// "minimize", "maximize"), in that order. Main.qml places one row on each side of the top edge,
// as the desktop lays out its other windows. Each button is reachable with Tab and pressed
// with Space or Enter, and has a name for screen readers.
Row {
    id: controls
    property var window
    property var buttons: []
    spacing: 6

    readonly property bool maximized: window && window.visibility === Window.Maximized

    function press(kind) {
        if (kind === "close")
            window.close()
        else if (kind === "minimize")
            window.showMinimized()
        else if (maximized)
            window.showNormal()
        else
            window.showMaximized()
    }

    Repeater {
        model: controls.buttons
        delegate: Pressable {
            id: button
            required property string modelData
            readonly property string kind: modelData
            readonly property string key: kind === "maximize" && controls.maximized ? "restore" : kind
            readonly property bool lit: hovered || activeFocus
            objectName: kind === "close" ? "windowClose" : kind === "minimize" ? "windowMinimize" : "windowZoom"
            width: 24; height: 24
            ringRadius: 14
            cursorShape: Qt.ArrowCursor
            accessibleName: L10n.text(L10n.language, "window." + key)
            onClicked: controls.press(kind)

            Rectangle {
                anchors.fill: parent
                radius: 12
                color: button.kind === "close" && button.hovered ? "#e5484d"
                       : button.pressed ? Theme.white(0.24) : button.lit ? Theme.white(0.16) : Theme.white(0.08)
                Behavior on color { ColorAnimation { duration: Theme.hoverMs } }
            }
            Symbol {
                anchors.centerIn: parent
                name: button.kind === "close" ? "xmark" : button.kind === "minimize" ? "minus"
                      : controls.maximized ? "rectangle.on.rectangle" : "rectangle"
                size: 14
                color: Theme.white(button.lit ? 1 : 0.75)
            }
            HoverTip {
                visible: button.hovered
                text: button.accessibleName
            }
        }
    }
}
