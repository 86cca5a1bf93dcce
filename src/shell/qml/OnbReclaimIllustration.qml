import QtQuick
import Orvane.Shell

// Step 1's picture: a ring that fills to 68 % while the counter rolls from 0 to 62 GB.
Item {
    id: mock
    objectName: "onbReclaimIllustration"
    property real progress
    property real gb
    implicitWidth: 176
    implicitHeight: 176

    // Played once, when the slide comes on screen.
    NumberAnimation on progress { to: 0.68; duration: 1600; easing.type: Easing.BezierSpline; easing.bezierCurve: Theme.easeOut }
    NumberAnimation on gb { to: 62; duration: 1600; easing.type: Easing.BezierSpline; easing.bezierCurve: Theme.easeOut }

    RingArc {
        anchors.fill: parent
        anchors.margins: -inset
        inset: 14
        lineWidth: 12
        trackColor: Theme.white(0.08)
        color: Theme.brand
        glowColor: Theme.tint(Theme.brand, 0.4)
        glowRadius: 8
        from: 0
        to: mock.progress
    }
    Column {
        anchors.centerIn: parent
        spacing: 2
        // Rolling digits: each new value slides up into place, cut at the digits' baseline so a
        // rolling digit never comes down onto "GB" (the layout keeps the label's full height).
        Item {
            anchors.horizontalCenter: parent.horizontalCenter
            width: number.implicitWidth
            height: number.implicitHeight
            Item {
                width: parent.width
                height: Math.ceil(number.baselineOffset) + 2
                clip: true
                Label {
                    id: number
                    objectName: "onbReclaimNumber"
                    property real roll: 0
                    text: Math.floor(mock.gb)
                    size: 46; bold: true
                    y: roll * height * 0.35
                    opacity: 1 - roll * 0.6
                    onTextChanged: { rollIn.restart() }
                    NumberAnimation { id: rollIn; target: number; property: "roll"; from: 1; to: 0; duration: 110 }
                }
            }
        }
        Label {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "GB"
            size: Theme.headline; bold: true
            color: Theme.brand
        }
    }
}
