import QtQuick
import Orvane.Shell
import Orvane.Flow

// The screen of one section: space, settings and about have their own; plans run the cleanup flow.
Item {
    id: detail
    objectName: "detailView"
    property string sectionId

    Loader {
        anchors.fill: parent
        sourceComponent: {
            switch (detail.sectionId) {
            case "space":
            case "settings":
            case "about":
                return placeholder
            default:
                return flowScreen
            }
        }
    }
    Component { id: flowScreen; FlowView { sectionId: detail.sectionId } }
    Component { id: placeholder; PlaceholderScreen { sectionId: detail.sectionId } }
}
