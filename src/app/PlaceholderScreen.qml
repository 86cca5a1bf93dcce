import QtQuick
import Orvane.Shell

// Stands in for the space, settings and about screens until they are built.
Item {
    id: screen
    objectName: "placeholder_" + sectionId
    property string sectionId
    readonly property var icons: ({ space: "internaldrive", settings: "gearshape", about: "info.circle" })
    Column {
        anchors.centerIn: parent
        spacing: 16
        Symbol {
            anchors.horizontalCenter: parent.horizontalCenter
            name: screen.icons[screen.sectionId] ?? "sparkles"
            size: 76
            color: Theme.tint(Theme.accent(screen.sectionId), 0.8)
        }
        Label {
            anchors.horizontalCenter: parent.horizontalCenter
            text: (L10n.language, L10n.t("nav." + screen.sectionId))
            size: Theme.largeTitle; bold: true
        }
        Label {
            anchors.horizontalCenter: parent.horizontalCenter
            text: (L10n.language, L10n.t("detail.comingSoon"))
            color: Theme.white(0.6)
        }
    }
}
