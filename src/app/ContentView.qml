import QtQuick
import Orvane.Shell
import Orvane.Flow
import Orvane.Settings

// The root view: background, dashboard or sidebar + detail (cross-fading), onboarding above all.
Item {
    id: root
    objectName: "contentView"

    // Focus rings take the open section's accent.
    Binding { target: Theme; property: "focusColor"; value: Navigation.selectedId !== "" ? Colors.accent(Navigation.selectedId) : Theme.brand }

    DiagonalGradient { anchors.fill: parent; colors: Colors.appBackground }
    DiagonalGradient {
        anchors.fill: parent
        colors: Colors.sectionBackground(Colors.accent(Navigation.shownId))
        opacity: Navigation.selectedId !== "" ? 1 : 0
        Behavior on opacity { EaseInOut { duration: Theme.navigationMs } }
    }

    Loader {
        id: dashboardLayer
        objectName: "dashboardLayer"
        anchors.fill: parent
        enabled: Navigation.onboardingDone // the keyboard stays in the tour while it is shown
        readonly property bool shown: Navigation.selectedId === ""
        opacity: shown ? 1 : 0
        visible: opacity > 0
        active: shown || opacity > 0
        Behavior on opacity { EaseInOut { duration: Theme.navigationMs } }
        sourceComponent: Dashboard { onSelect: (sectionId) => Navigation.select(sectionId) }
    }

    Loader {
        id: splitLayer
        objectName: "splitLayer"
        anchors.fill: parent
        enabled: Navigation.onboardingDone
        readonly property bool shown: Navigation.selectedId !== ""
        opacity: shown ? 1 : 0
        visible: opacity > 0
        active: shown || opacity > 0
        Behavior on opacity { EaseInOut { duration: Theme.navigationMs } }
        sourceComponent: Item {
            // Escape that no screen took goes back to the dashboard.
            Keys.onEscapePressed: Navigation.home()
            Sidebar {
                id: sidebar
                objectName: "sidebar"
                width: 240
                height: parent.height
                selectedId: Navigation.selectedId !== "" ? Navigation.selectedId : Navigation.shownId
                onSelect: (sectionId) => Navigation.select(sectionId)
                onHome: Navigation.home()
            }
            Item {
                objectName: "detailArea"
                x: 240
                width: parent.width - 240
                height: parent.height
                // One detail screen per section id: another id starts afresh, the same id keeps it.
                Repeater {
                    model: Navigation.shownId !== "" ? [Navigation.shownId] : []
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
        opacity: Navigation.onboardingDone ? 0 : 1
        visible: opacity > 0
        active: !Navigation.onboardingDone || opacity > 0
        Behavior on opacity { EaseInOut { duration: Theme.onboardingFadeMs } }
        sourceComponent: OnboardingView { lastStep: 3; onFinish: Navigation.finishOnboarding() }
    }

    // The updater's dialogs, above everything else wherever the user is.
    UpdateDialogs { anchors.fill: parent; z: 2 }
}
