pragma ComponentBehavior: Bound
import QtQuick
import Orvane.Flow

// A plan section's cleanup flow: one screen per state, the confirmation above them all. A section
// without a plan shows that it is coming.
Item {
    id: view
    objectName: "flowView"
    property string sectionId
    readonly property SectionFlowController flow: controller

    SectionFlowController { id: controller; sectionId: view.sectionId }

    // Escape goes back one step: the done screen to the introduction, a scan stops. On the
    // results it does nothing, so one key never throws a scan away; elsewhere it goes home.
    Keys.onEscapePressed: (event) => {
        switch (controller.state) {
        case "done": controller.back(); break
        case "scanning": controller.cancelScan(); break
        case "results": break
        default: event.accepted = false
        }
    }

    // The screen of the state, made when the state is entered and gone when it is left (each a
    // Repeater of one: Qt 6.4's Loader cannot make this file's bound components). Sized from the
    // view, not anchored: a screen being taken down keeps its layout.
    readonly property string page: controller.hasPlan ? controller.state : "comingSoon"
    Repeater {
        model: view.page === "comingSoon" ? 1 : 0
        delegate: ComingSoonView { width: view.width; height: view.height; flow: controller }
    }
    Repeater {
        model: view.page === "idle" ? 1 : 0
        delegate: IntroView { width: view.width; height: view.height; flow: controller }
    }
    Repeater {
        model: view.page === "scanning" ? 1 : 0
        delegate: ScanningView {
            width: view.width; height: view.height
            accent: controller.accent
            cancellable: true
            sourceText: controller.scanSourceText
            countsText: controller.scanCountsText
            onCancel: controller.cancelScan()
        }
    }
    Repeater {
        model: view.page === "results" ? 1 : 0
        delegate: ResultsView { width: view.width; height: view.height; flow: controller }
    }
    Repeater {
        model: view.page === "cleaning" ? 1 : 0
        delegate: CleaningView {
            width: view.width; height: view.height
            accent: controller.accent
            removalDone: controller.removalDone
            onSettled: controller.settle()
        }
    }
    Repeater {
        model: view.page === "done" ? 1 : 0
        delegate: DoneView {
            width: view.width; height: view.height
            accent: controller.accent
            freedText: controller.doneText
            notes: controller.doneNotes
            allNotes: controller.doneAllNotes
            onBack: controller.back()
        }
    }

    // Over the whole window (the sidebar dims too); only the window's own buttons stay above it.
    ConfirmDialog {
        parent: view.Window.window ? view.Window.window.contentItem : view
        anchors.fill: parent
        flow: controller
        z: 55
    }
}
