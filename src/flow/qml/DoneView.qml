pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls as Controls
import Orvane.Shell

// A check mark that pops in, the title, what was removed and the way back.
Item {
    id: done
    objectName: "doneView"
    property string freedText
    property var notes: [] // what stayed and why, a few lines ("and N more" last)
    property var allNotes: [] // every such line, opened from "and N more"
    property bool showAll: false
    readonly property bool hasMore: allNotes.length > notes.length // the last note is "and N more"
    property color accent: "white"
    signal back()
    property bool pop: false
    property real popProgress: 0
    Component.onCompleted: { pop = true; popAnim.start() }
    // The focus is offered once the screen is in place.
    Timer { running: true; interval: 0; onTriggered: Theme.offerFocus(backButton, backButton.Window.window) }
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
                // The lines before "and N more", or all of them once opened.
                model: done.showAll ? [] : (done.hasMore ? done.notes.slice(0, done.notes.length - 1) : done.notes)
                NoteLine { required property string modelData; text: modelData }
            }
            ListView {
                id: allList
                objectName: "doneAllNotes"
                anchors.horizontalCenter: parent.horizontalCenter
                visible: done.showAll
                width: 540
                height: visible ? Math.min(contentHeight, 200) : 0
                clip: true
                spacing: 4
                boundsBehavior: Flickable.StopAtBounds
                model: done.showAll ? done.allNotes : []
                delegate: NoteLine {
                    required property string modelData
                    x: (allList.width - width) / 2
                    text: modelData
                }
                activeFocusOnTab: visible && contentHeight > height
                Keys.onUpPressed: flick(0, 800)
                Keys.onDownPressed: flick(0, -800)
                Accessible.role: Accessible.List
                Accessible.name: L10n.text(L10n.language, "done.stayedTitle")
                FocusRing { inset: -4 }
                Controls.ScrollBar.vertical: Controls.ScrollBar {
                    policy: allList.contentHeight > allList.height ? Controls.ScrollBar.AlwaysOn : Controls.ScrollBar.AlwaysOff
                }
            }
            // "and N more", pressed to see every line; then "Show fewer".
            Pressable {
                id: moreLink
                objectName: "doneMore"
                anchors.horizontalCenter: parent.horizontalCenter
                visible: done.hasMore
                width: moreText.implicitWidth + 12
                height: moreText.implicitHeight + 4
                accessibleName: moreText.text
                accessibleDescription: done.showAll ? "" : L10n.text(L10n.language, "done.showAll")
                ringRadius: 6
                onClicked: done.showAll = !done.showAll
                Label {
                    id: moreText
                    anchors.centerIn: parent
                    text: done.showAll ? L10n.text(L10n.language, "done.showFewer")
                                       : (done.notes.length > 0 ? done.notes[done.notes.length - 1] : "")
                    textFormat: Text.PlainText
                    size: Theme.callout
                    font.underline: true
                    color: moreLink.hovered ? Theme.white(0.85) : Theme.white(0.65)
                }
            }
        }
        Item {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 180; height: 50 + 8
            GlassButton {
                id: backButton
                objectName: "doneBack"
                y: 8
                fixedWidth: 180; fixedHeight: 50
                tint: done.accent
                text: L10n.text(L10n.language, "done.back")
                textSize: Theme.headline
                onClicked: done.back()
            }
        }
    }

    component NoteLine: Label {
        width: Math.min(implicitWidth, 520)
        horizontalAlignment: Text.AlignHCenter
        elide: Text.ElideMiddle
        textFormat: Text.PlainText
        size: Theme.callout
        color: Theme.white(0.55)
    }
}
