import QtQuick
import Orvane.Shell
import Orvane.Flow

Item {
    id: soon
    objectName: "comingSoonView"
    required property SectionFlowController flow
    Column {
        anchors.centerIn: parent
        spacing: 16
        Symbol { anchors.horizontalCenter: parent.horizontalCenter; name: soon.flow.sectionIcon; size: 76; color: Theme.white(0.45) }
        Label { anchors.horizontalCenter: parent.horizontalCenter; text: soon.flow.sectionTitle; size: Theme.largeTitle; bold: true }
        Label {
            objectName: "comingSoonText"
            anchors.horizontalCenter: parent.horizontalCenter
            text: L10n.text(L10n.language, "detail.comingSoon")
            color: Theme.white(0.6)
        }
    }
}
