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
        delegate: Rectangle {
            id: button
            required property string modelData
            readonly property string kind: modelData
            readonly property string key: kind === "maximize" && controls.maximized ? "restore" : kind
            readonly property bool lit: mouse.containsMouse || activeFocus
            objectName: kind === "close" ? "windowClose" : kind === "minimize" ? "windowMinimize" : "windowZoom"
            width: 24; height: 24; radius: 12
            color: kind === "close" && mouse.containsMouse ? "#e5484d"
                   : mouse.pressed ? Theme.white(0.24) : lit ? Theme.white(0.16) : Theme.white(0.08)
            border.width: activeFocus ? 2 : 0
            border.color: Theme.white(0.85)
            Behavior on color { ColorAnimation { duration: Theme.hoverMs } }

            activeFocusOnTab: true
            Accessible.role: Accessible.Button
            Accessible.name: L10n.text(L10n.language, "window." + key)
            Accessible.onPressAction: controls.press(kind)
            Keys.onSpacePressed: controls.press(kind)
            Keys.onReturnPressed: controls.press(kind)
            Keys.onEnterPressed: controls.press(kind)

            Symbol {
                anchors.centerIn: parent
                name: button.kind === "close" ? "xmark" : button.kind === "minimize" ? "minus"
                      : controls.maximized ? "rectangle.on.rectangle" : "rectangle"
                size: 14
                color: Theme.white(button.lit ? 1 : 0.75)
            }
            MouseArea {
                id: mouse
                anchors.fill: parent
                hoverEnabled: true
                onClicked: controls.press(button.kind)
            }
            HoverTip {
                visible: mouse.containsMouse
                text: button.Accessible.name
            }
        }
    }
}
