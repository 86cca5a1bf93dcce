import QtQuick
import QtQuick.Controls.Basic as Controls
import Orvane.Shell

// A hover tooltip in the app's dark style. Declare it inside the item it explains and bind
// `visible` to that item's hover.
Controls.ToolTip {
    id: tip
    delay: 600
    padding: 0
    contentItem: Label {
        text: tip.text
        textFormat: Text.PlainText // names and paths from the disk are data
        size: Theme.callout
        color: Theme.white(0.92)
        leftPadding: 9; rightPadding: 9; topPadding: 5; bottomPadding: 5
    }
    background: Rectangle {
        radius: 7
        color: Qt.rgba(0.13, 0.1, 0.15, 0.97)
        border.width: 1
        border.color: Theme.white(0.16)
    }
}
