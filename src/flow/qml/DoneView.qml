import QtQuick
import Orvane.Shell
import Orvane.Flow

// A check mark that pops in, the title, what was removed and the way back.
Item {
    id: done
    objectName: "doneView"
    property string freedText
    property var notes: [] // what stayed and why, a few lines
    property color accent: "white"
    signal back()
    property bool pop: false
    property real popProgress: 0
    Component.onCompleted: { pop = true; popAnim.start() }
    Spring {
        id: popAnim
        target: done; property: "popProgress"; from: 0; to: 1
        response: Theme.popSpring.response; dampingFraction: Theme.popSpring.damping
    }

    Column {
        anchors.centerIn: parent
        spacing: 22
        GradientSymbol {
            anchors.horizontalCenter: parent.horizontalCenter
            name: "checkmark.circle.fill"
            size: 90
            color: done.accent
            scale: 0.4 + 0.6 * done.popProgress
            opacity: Math.max(0, Math.min(1, done.popProgress))
        }
        Label {
            anchors.horizontalCenter: parent.horizontalCenter
            text: L10n.text(L10n.language, "done.title")
            size: 36; bold: true
        }
        Label {
            objectName: "doneText"
            anchors.horizontalCenter: parent.horizontalCenter
            text: done.freedText
            size: Theme.title3
            color: Theme.white(0.8)
        }
        Column {
            objectName: "doneNotes"
            anchors.horizontalCenter: parent.horizontalCenter
            visible: done.notes.length > 0
            spacing: 4
            Label {
                anchors.horizontalCenter: parent.horizontalCenter
                text: L10n.text(L10n.language, "done.stayedTitle")
                size: Theme.callout; semibold: true
                color: Theme.white(0.6)
            }
            Repeater {
                model: done.notes
                Label {
                    required property string modelData
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: Math.min(implicitWidth, 520)
                    horizontalAlignment: Text.AlignHCenter
                    elide: Text.ElideMiddle
                    text: modelData
                    textFormat: Text.PlainText
                    size: Theme.callout
                    color: Theme.white(0.55)
                }
            }
        }
        Item {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 180; height: 50 + 8
            GlassButton {
                id: backButton
                objectName: "doneBack"
                Component.onCompleted: Qt.callLater(Theme.offerFocus, backButton, Window.window)
                y: 8
                fixedWidth: 180; fixedHeight: 50
                tint: done.accent
                text: L10n.text(L10n.language, "done.back")
                textSize: Theme.headline
                onClicked: done.back()
            }
        }
    }
}
