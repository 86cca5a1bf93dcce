import QtQuick
import QtQuick.Layouts
import Orvane.Shell
import Orvane.Flow

// The confirmation before removal, in the app's style: Cancel, then the destructive button.
// Escape or a click outside cancels.
Item {
    id: dialog
    objectName: "confirmDialog"
    required property SectionFlowController flow
    visible: opacity > 0
    opacity: flow.showDeleteConfirm ? 1 : 0
    Behavior on opacity { EaseOut { duration: 150 } }
    // Opens with the focus on Cancel; Tab moves between the two buttons only; the focus goes
    // back where it was when it closes.
    property Item returnFocus: null
    Accessible.role: Accessible.Dialog
    Accessible.name: flow.dialogTitle
    Accessible.description: flow.dialogMessage
    onVisibleChanged: if (visible) { returnFocus = Window.activeFocusItem; cancelButton.forceActiveFocus() }
    Connections {
        target: dialog.flow
        function onShowDeleteConfirmChanged() {
            if (!dialog.flow.showDeleteConfirm && dialog.returnFocus && dialog.returnFocus.visible)
                dialog.returnFocus.forceActiveFocus()
        }
    }
    Keys.onEscapePressed: flow.cancelClean()

    Rectangle {
        anchors.fill: parent
        color: Theme.black(0.45)
        MouseArea { anchors.fill: parent; hoverEnabled: true; onClicked: dialog.flow.cancelClean() }
    }
    Shadow { target: panel; color: Theme.black(0.5); blur: 30; offsetY: 12; cornerRadius: 14 }
    Rectangle {
        id: panel
        anchors.centerIn: parent
        width: 400
        height: column.implicitHeight + 48
        radius: 14
        scale: dialog.flow.showDeleteConfirm ? 1 : 0.95
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
                Layout.alignment: Qt.AlignHCenter
                implicitWidth: 52; implicitHeight: 52; radius: 14
                color: Theme.tint(dialog.flow.accent, 0.22)
                border.width: 1
                border.color: Theme.tint(dialog.flow.accent, 0.5)
                Symbol { anchors.centerIn: parent; name: dialog.flow.removalStyle === "trash" ? "trash" : "trash.fill"; size: 24; color: dialog.flow.accent }
            }
            Label {
                objectName: "dialogTitle"
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignHCenter
                text: dialog.flow.dialogTitle
                size: Theme.title3; bold: true
                wrapMode: Text.WordWrap
            }
            Label {
                objectName: "dialogMessage"
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignHCenter
                text: dialog.flow.dialogMessage
                textFormat: Text.PlainText // names a kept duplicate copy
                color: Theme.white(0.75)
                wrapMode: Text.WordWrap
            }
            RowLayout {
                Layout.fillWidth: true
                Layout.topMargin: 8
                spacing: 10
                GlassButton {
                    id: cancelButton
                    objectName: "dialogCancel"
                    KeyNavigation.tab: confirmButton
                    KeyNavigation.backtab: confirmButton
                    Layout.fillWidth: true
                    prominent: false
                    fixedHeight: 34
                    text: L10n.text(L10n.language, "action.cancel")
                    onClicked: dialog.flow.cancelClean()
                }
                GlassButton {
                    id: confirmButton
                    objectName: "dialogConfirm"
                    KeyNavigation.tab: cancelButton
                    KeyNavigation.backtab: cancelButton
                    Layout.fillWidth: true
                    fixedHeight: 34
                    tint: Colors.destructive
                    text: dialog.flow.dialogConfirmText
                    onClicked: dialog.flow.performClean()
                }
            }
        }
    }
}
