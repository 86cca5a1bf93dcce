pragma ComponentBehavior: Bound
import QtQuick
import Orvane.Shell
import Orvane.Flow

// A brush sweeping 130 sin 3e points to and fro over sparkles that fade and shrink in 1.6 s. The
// screen stays 2.2 s after the removal has answered, then says it has settled.
Item {
    id: cleaning
    objectName: "cleaningView"
    property color accent: "white"
    property bool removalDone: false
    signal settled()
    Timer { interval: 2200; running: cleaning.removalDone; onTriggered: cleaning.settled() }
    property var dirt: [Qt.point(-100, -30), Qt.point(-40, 35), Qt.point(20, -45), Qt.point(80, 20),
                        Qt.point(120, -20), Qt.point(-70, 50), Qt.point(50, 55), Qt.point(-120, 10)]
    property real e // seconds since the screen was created
    readonly property real p: Math.min(e / 1.6, 1.0)
    NumberAnimation on e { from: 0; to: 86400; duration: 86400000; loops: Animation.Infinite }

    Column {
        anchors.centerIn: parent
        spacing: 30
        Item {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 300; height: 170
            Repeater {
                model: cleaning.dirt.length
                Sparkle {
                    required property int index
                    objectName: "cleaningSparkle_" + index
                    size: 16
                    color: Theme.white(0.45)
                    x: 150 + cleaning.dirt[index].x - width / 2
                    y: 85 + cleaning.dirt[index].y - height / 2
                    opacity: 1 - cleaning.p
                    scale: 1 - 0.8 * cleaning.p
                }
            }
            Item {
                id: brush
                width: glyph.implicitWidth; height: glyph.implicitHeight
                x: 150 - width / 2 + 130 * Math.sin(3 * cleaning.e)
                y: 85 - height / 2
                rotation: -25
                SoftShadow {
                    id: brushGlow
                    circle: true
                    anchors.centerIn: parent
                    width: parent.width * 0.7 + 2 * brushGlow.pad; height: parent.height * 0.7 + 2 * brushGlow.pad
                    color: Theme.tint(cleaning.accent, 0.5)
                    blur: 12
                }
                GradientSymbol { id: glyph; anchors.fill: parent; name: "paintbrush.pointed.fill"; size: 64; color: cleaning.accent }
            }
        }
        Label {
            objectName: "cleaningTitle"
            anchors.horizontalCenter: parent.horizontalCenter
            text: L10n.text(L10n.language, "cleaning.title")
            size: Theme.title2
        }
    }
}
