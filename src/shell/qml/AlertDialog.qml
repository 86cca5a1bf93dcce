import QtQuick
import QtQuick.Layouts
import Orvane.Shell

// An alert in the app's own style over the item it fills: symbol, title, message and one or two
// buttons (the cancel one first). Escape or a click outside counts as cancel.
// Button and text items are named after the dialog: <objectName>Title, …Message, …Cancel, …Confirm.
Item {
    id: dialog
    property bool shown: false
    property string title
    property string message
    property string symbol
    property color accent: Theme.brand
    property string cancelText     // empty: a single button
    property string confirmText
    property bool destructive: false
    signal accepted()
    signal rejected()

    visible: opacity > 0
    opacity: shown ? 1 : 0
    Behavior on opacity { EaseOut { duration: 150 } }
    // Opens with the focus on the cancel button (the only one when there is one); Tab moves
    // between the buttons only; the focus goes back where it was when it closes.
    property Item returnFocus: null
    Accessible.role: Accessible.AlertMessage
    Accessible.name: title
    Accessible.description: message
    onShownChanged: {
        if (shown) {
            returnFocus = Window.activeFocusItem
            const safe = cancelText !== "" ? cancelButton : confirmButton
            safe.forceActiveFocus()
        } else if (returnFocus && returnFocus.visible) {
            returnFocus.forceActiveFocus()
        }
    }
    Keys.onEscapePressed: if (dialog.shown) dialog.rejected()

    Rectangle {
        anchors.fill: parent
        color: Theme.black(0.45)
        MouseArea { anchors.fill: parent; hoverEnabled: true; onClicked: if (dialog.shown) dialog.rejected() }
    }
    Shadow { target: panel; color: Theme.black(0.5); blur: 30; offsetY: 12; cornerRadius: 14 }
    Rectangle {
        id: panel
        anchors.centerIn: parent
        width: Math.min(400, dialog.width - 40)
        height: column.implicitHeight + 48
        radius: 14
        scale: dialog.shown ? 1 : 0.95
        Behavior on scale { EaseOut { duration: 150 } }
        gradient: Gradient {
            GradientStop { position: 0; color: Qt.rgba(0.2, 0.15, 0.2, 0.98) }
            GradientStop { position: 1; color: Qt.rgba(0.13, 0.1, 0.14, 0.98) }
        }
        border.width: 1
        border.color: Theme.white(0.14)
        MouseArea { anchors.fill: parent } // clicks on the panel stay on it

        ColumnLayout {
            id: column
            x: 24; y: 24
            width: parent.width - 48
            spacing: 12
            Rectangle {
                visible: dialog.symbol !== ""
                Layout.alignment: Qt.AlignHCenter
                implicitWidth: 52; implicitHeight: 52; radius: 14
                color: Theme.tint(dialog.accent, 0.22)
                border.width: 1
                border.color: Theme.tint(dialog.accent, 0.5)
                Symbol { anchors.centerIn: parent; name: dialog.symbol; size: 24; color: dialog.accent }
            }
            Label {
                objectName: dialog.objectName + "Title"
                visible: text !== ""
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignHCenter
                text: dialog.title
                size: Theme.title3; bold: true
                wrapMode: Text.WordWrap
            }
            Label {
                objectName: dialog.objectName + "Message"
                visible: text !== ""
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignHCenter
                text: dialog.message
                color: Theme.white(0.75)
                wrapMode: Text.WordWrap
                lineHeight: 1.1
            }
            RowLayout {
                Layout.fillWidth: true
                Layout.topMargin: 8
                spacing: 10
                GlassButton {
                    id: cancelButton
                    objectName: dialog.objectName + "Cancel"
                    KeyNavigation.tab: confirmButton
                    KeyNavigation.backtab: confirmButton
                    visible: dialog.cancelText !== ""
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    prominent: false
                    fixedHeight: 34
                    text: dialog.cancelText
                    onClicked: if (dialog.shown) dialog.rejected()
                }
                GlassButton {
                    id: confirmButton
                    objectName: dialog.objectName + "Confirm"
                    KeyNavigation.tab: cancelButton.visible ? cancelButton : confirmButton
                    KeyNavigation.backtab: cancelButton.visible ? cancelButton : confirmButton
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    fixedHeight: 34
                    tint: dialog.destructive ? Colors.destructive : dialog.accent
                    text: dialog.confirmText
                    onClicked: if (dialog.shown) dialog.accepted()
                }
            }
        }
    }
}
