import QtQuick
import Orvane.Shell

// Endlessly turning arc (200°/s) and a pulsing sparkles symbol (1 + 0.15 sin 4t). Given a
// scan's progress texts it shows them under the title, and with `cancellable` a Cancel button.
Item {
    id: scanning
    objectName: "scanningView"
    property color accent: "white"
    property string sourceText
    property string countsText
    property bool cancellable: false
    signal cancel()
    // With Cancel shown, the focus is offered to it once the screen is in place.
    Component.onCompleted: if (cancellable) focusLater.start()
    Timer { id: focusLater; interval: 0; onTriggered: Theme.offerFocus(cancelButton, cancelButton.Window.window) }
    property real t
    NumberAnimation on t { from: 0; to: 86400; duration: 86400000; loops: Animation.Infinite }

    Column {
        anchors.centerIn: parent
        spacing: 30
        Item {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 150; height: 150
            // Screen readers hear the work going on and what it is looking at.
            Accessible.role: Accessible.ProgressBar
            Accessible.name: L10n.text(L10n.language, "scanning.title")
            Accessible.description: scanning.sourceText !== "" && scanning.countsText !== ""
                ? scanning.sourceText + ", " + scanning.countsText : scanning.sourceText + scanning.countsText
            RingArc {
                anchors.fill: parent
                lineWidth: 6
                from: 0; to: 0.7
                color: scanning.accent
                rotation: (scanning.t * 200) % 360
            }
            Symbol {
                anchors.centerIn: parent
                name: "sparkles"
                size: 54
                color: scanning.accent
                scale: 1 + 0.15 * Math.sin(4 * scanning.t)
            }
        }
        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 8
            Label {
                objectName: "scanningTitle"
                anchors.horizontalCenter: parent.horizontalCenter
                text: L10n.text(L10n.language, "scanning.title")
                size: Theme.title3
            }
            // Two lines kept in place even while empty, so the column does not jump.
            Label {
                objectName: "scanningSource"
                visible: scanning.cancellable
                anchors.horizontalCenter: parent.horizontalCenter
                text: scanning.sourceText
                textFormat: Text.PlainText
                color: Theme.white(0.7)
                size: Theme.callout
            }
            Label {
                objectName: "scanningCounts"
                visible: scanning.cancellable || scanning.countsText !== ""
                anchors.horizontalCenter: parent.horizontalCenter
                text: scanning.countsText
                color: Theme.white(0.5)
                size: Theme.callout
            }
        }
        GlassButton {
            id: cancelButton
            objectName: "scanningCancel"
            visible: scanning.cancellable
            anchors.horizontalCenter: parent.horizontalCenter
            prominent: false
            text: L10n.text(L10n.language, "action.cancel")
            onClicked: scanning.cancel()
        }
    }
}
