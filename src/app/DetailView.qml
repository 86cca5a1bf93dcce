pragma ComponentBehavior: Bound
import QtQuick
import Orvane.Shell
import Orvane.Flow
import Orvane.Settings
import Orvane.Space

// The screen of one section: space, settings and about have their own; plans run the cleanup flow.
// Made once: the content view makes a new detail view for another section id.
Item {
    id: detail
    objectName: "detailView"
    required property string sectionId

    // Not a Loader: Qt 6.4's Loader cannot make a component declared in a bound file.
    Component.onCompleted: {
        const screens = { space: spaceScreen, settings: settingsScreen, about: aboutScreen }
        ;(screens[sectionId] ?? flowScreen).createObject(detail)
    }
    Component { id: flowScreen; FlowView { anchors.fill: parent; sectionId: detail.sectionId } }
    Component { id: spaceScreen; SpaceView { anchors.fill: parent } }
    Component { id: settingsScreen; SettingsView { anchors.fill: parent } }
    Component { id: aboutScreen; AboutView { anchors.fill: parent } }
}
