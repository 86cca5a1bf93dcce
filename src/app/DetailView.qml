import QtQuick
import Orvane.Shell
import Orvane.Flow
import Orvane.Settings
import Orvane.Space

// The screen of one section: space, settings and about have their own; plans run the cleanup flow.
Item {
    id: detail
    objectName: "detailView"
    property string sectionId

    Loader {
        anchors.fill: parent
        sourceComponent: {
            switch (detail.sectionId) {
            case "space": return spaceScreen
            case "settings": return settingsScreen
            case "about": return aboutScreen
            default:
                return flowScreen
            }
        }
    }
    Component { id: flowScreen; FlowView { sectionId: detail.sectionId } }
    Component { id: spaceScreen; SpaceView {} }
    Component { id: settingsScreen; SettingsView {} }
    Component { id: aboutScreen; AboutView {} }
}
