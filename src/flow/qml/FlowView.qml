import QtQuick
import Orvane.Shell
import Orvane.Flow

// A plan section's cleanup flow: one screen per state, the confirmation above them all.
Item {
    id: view
    objectName: "flowView"
    property string sectionId
    readonly property SectionFlowController flow: controller

    SectionFlowController { id: controller; sectionId: view.sectionId }

    // Escape goes back one step: the done screen to the introduction, a scan stops. On the
    // results it does nothing, so one key never throws a scan away; elsewhere it goes home.
    Keys.onEscapePressed: (event) => {
        switch (controller.screen) {
        case "done": controller.back(); break
        case "scanning": controller.cancelScan(); break
        case "results": break
        default: event.accepted = false
        }
    }

    Loader {
        id: screen
        objectName: "flowScreen"
        anchors.fill: parent
        sourceComponent: {
            switch (controller.screen) {
            case "idle": return intro
            case "scanning": return scanning
            case "results": return resultsView
            case "cleaning": return cleaning
            case "done": return doneView
            default: return comingSoon
            }
        }
    }

    Component { id: intro; IntroView { flow: controller } }
    Component { id: comingSoon; ComingSoonView { flow: controller } }
    Component {
        id: scanning
        ScanningView {
            accent: controller.accent
            cancellable: true
            sourceText: controller.scanSourceText
            countsText: controller.scanCountsText
            onCancel: controller.cancelScan()
        }
    }
    Component { id: resultsView; ResultsView { flow: controller } }
    Component { id: cleaning; CleaningView { accent: controller.accent } }
    Component {
        id: doneView
        DoneView { accent: controller.accent; freedText: controller.doneText; notes: controller.doneNotes; allNotes: controller.doneAllNotes; onBack: controller.back() }
    }

    // Over the whole window (the sidebar dims too); only the window's own buttons stay above it.
    ConfirmDialog {
        parent: view.Window.window ? view.Window.window.contentItem : view
        anchors.fill: parent
        flow: controller
        z: 55
    }
}
