import QtQuick
import Orvane.Shell
import Orvane.Flow
import Orvane.Settings

// The root view: background, dashboard or sidebar + detail (cross-fading), onboarding above all.
Item {
    id: root
    objectName: "contentView"
    readonly property Navigation navigation: nav
    // The section the split view shows; kept while it fades out towards the dashboard.
    property string shownId
    property string lastSelected

    Navigation { id: nav }
    // Focus rings take the open section's accent.
    Binding { target: Theme; property: "focusColor"; value: nav.selectedId !== "" ? Colors.accent(nav.selectedId) : Theme.brand }
    Connections {
        target: nav
        function onSelectedIdChanged() {
            if (nav.selectedId !== "") {
                // Coming from the dashboard always starts the section afresh.
                if (root.lastSelected === "")
                    root.shownId = ""
                root.shownId = nav.selectedId
            }
            root.lastSelected = nav.selectedId
        }
    }

    DiagonalGradient { anchors.fill: parent; colors: Colors.appBackground }
    DiagonalGradient {
        anchors.fill: parent
        colors: Colors.sectionBackground(Colors.accent(root.shownId))
        opacity: nav.selectedId !== "" ? 1 : 0
        Behavior on opacity { EaseInOut { duration: Theme.navigationMs } }
    }

    Loader {
        id: dashboardLayer
        objectName: "dashboardLayer"
        anchors.fill: parent
        enabled: nav.onboardingDone // the keyboard stays in the tour while it is shown
        readonly property bool shown: nav.selectedId === ""
        opacity: shown ? 1 : 0
        visible: opacity > 0
        active: shown || opacity > 0
        Behavior on opacity { EaseInOut { duration: Theme.navigationMs } }
        sourceComponent: Dashboard { onSelect: (sectionId) => nav.select(sectionId) }
    }

    Loader {
        id: splitLayer
        objectName: "splitLayer"
        anchors.fill: parent
        enabled: nav.onboardingDone
        readonly property bool shown: nav.selectedId !== ""
        opacity: shown ? 1 : 0
        visible: opacity > 0
        active: shown || opacity > 0
        Behavior on opacity { EaseInOut { duration: Theme.navigationMs } }
        sourceComponent: Item {
            // Escape that no screen took goes back to the dashboard.
            Keys.onEscapePressed: nav.home()
            Sidebar {
                id: sidebar
                objectName: "sidebar"
                width: 240
                height: parent.height
                selectedId: nav.selectedId !== "" ? nav.selectedId : root.shownId
                onSelect: (sectionId) => nav.select(sectionId)
                onHome: nav.home()
            }
            Item {
                objectName: "detailArea"
                x: 240
                width: parent.width - 240
                height: parent.height
                // One detail screen per section id: another id starts afresh, the same id keeps it.
                Repeater {
                    model: root.shownId !== "" ? [root.shownId] : []
                    delegate: DetailView {
                        required property string modelData
                        width: parent.width
                        height: parent.height
                        sectionId: modelData
                    }
                }
            }
        }
    }

    Loader {
        id: onboardingLayer
        objectName: "onboardingLayer"
        anchors.fill: parent
        z: 1
        opacity: nav.onboardingDone ? 0 : 1
        visible: opacity > 0
        active: !nav.onboardingDone || opacity > 0
        Behavior on opacity { EaseInOut { duration: Theme.onboardingFadeMs } }
        sourceComponent: OnboardingView { lastStep: 3; onFinish: nav.finishOnboarding() }
    }

    // The updater's dialogs, above everything else wherever the user is.
    UpdateDialogs { anchors.fill: parent; z: 2 }
}
