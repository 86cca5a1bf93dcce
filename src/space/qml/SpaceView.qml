pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic as Controls
import Orvane.Shell
import Orvane.Flow
import Orvane.Space

// Where the space went: the volume, the heaviest home folders, and drill-down into any of them.
// While a list is being measured the scanning animation stands in for the whole screen.
Item {
    id: view
    objectName: "spaceView"
    property color accent: Theme.accent("space")
    // The screen's state; tests hand in one with their own file manager.
    property SpaceController controller: SpaceController {}

    Component.onCompleted: controller.reload()

    // How far the measuring has got; inside a folder, Cancel goes back up. Made only while a list
    // is measured (by a Repeater of one: Qt 6.4's Loader cannot make this file's bound components).
    Repeater {
        model: view.controller.loading ? 1 : 0
        delegate: ScanningView {
            width: view.width; height: view.height
            accent: view.accent
            countsText: view.controller.progressText
            cancellable: !view.controller.atTopLevel
            sourceText: view.controller.currentFolderName
            onCancel: view.controller.back()
        }
    }

    ColumnLayout {
        objectName: "spaceContent"
        anchors.fill: parent
        anchors.margins: 30
        spacing: 20
        visible: !view.controller.loading

        // Top level: title, volume card, heading.
        Label {
            objectName: "spaceTitle"
            visible: view.controller.atTopLevel
            text: L10n.text(L10n.language, "space.title")
            size: Theme.largeTitle; bold: true
        }
        Item {
            objectName: "diskCard"
            visible: view.controller.atTopLevel
            Layout.fillWidth: true
            implicitHeight: diskColumn.implicitHeight + 40
            CardBackground { anchors.fill: parent; shadowOpacity: 0.2 }
            ColumnLayout {
                id: diskColumn
                x: 20; y: 20
                width: parent.width - 40
                spacing: 12
                Item {
                    Layout.fillWidth: true
                    implicitHeight: 22
                    Rectangle { anchors.fill: parent; radius: height / 2; color: Theme.white(0.15) }
                    Rectangle {
                        objectName: "volumeBar"
                        height: parent.height
                        width: parent.width * view.controller.usedFraction
                        visible: width > 0
                        radius: height / 2
                        gradient: Gradient {
                            GradientStop { position: 0; color: Theme.gradientTop(view.accent) }
                            GradientStop { position: 1; color: Theme.gradientBottom(view.accent) }
                        }
                    }
                }
                Label {
                    objectName: "usageText"
                    Layout.fillWidth: true
                    text: view.controller.usageText
                    size: Theme.callout
                    color: Theme.white(0.75)
                    elide: Text.ElideRight
                }
            }
        }
        Label {
            objectName: "heaviestHeading"
            visible: view.controller.atTopLevel
            Layout.topMargin: 4
            text: L10n.text(L10n.language, "space.heaviestFolders")
            size: Theme.headline; semibold: true
            color: Theme.white(0.8)
        }

        // Inside a folder: Back, the folder's name, Finder.
        RowLayout {
            objectName: "folderHeader"
            visible: !view.controller.atTopLevel
            Layout.fillWidth: true
            spacing: 14
            GlassButton {
                objectName: "spaceBack"
                prominent: false
                symbol: "chevron.left"
                text: L10n.text(L10n.language, "action.back")
                textSize: Theme.callout
                fixedHeight: 32
                horizontalPadding: 14
                onClicked: view.controller.back()
            }
            Label {
                objectName: "folderName"
                Layout.fillWidth: true
                text: view.controller.currentFolderName
                size: Theme.title2; bold: true
                elide: Text.ElideMiddle
                maximumLineCount: 1
            }
            GlassButton {
                objectName: "spaceRevealFolder"
                prominent: false
                symbol: "arrow.up.forward.square"
                text: L10n.text(L10n.language, "settings.viewInFinder")
                textSize: Theme.callout
                fixedHeight: 32
                horizontalPadding: 14
                onClicked: view.controller.revealCurrentFolder()
            }
        }

        // What the last removal did.
        Label {
            objectName: "spaceDoneText"
            visible: text !== ""
            Layout.fillWidth: true
            text: view.controller.doneText
            textFormat: Text.PlainText
            size: Theme.callout
            color: Theme.white(0.75)
            wrapMode: Text.WordWrap
        }
        // The ticked rows and what to do with them.
        RowLayout {
            objectName: "spaceSelectionBar"
            visible: view.controller.selectedCount > 0
            Layout.fillWidth: true
            spacing: 12
            Label {
                objectName: "spaceSelectedText"
                Layout.fillWidth: true
                text: view.controller.selectedText
                size: Theme.callout
                color: Theme.white(0.8)
                elide: Text.ElideRight
            }
            GlassButton {
                objectName: "spaceMoveToTrash"
                prominent: false
                symbol: "trash"
                text: L10n.text(L10n.language, "action.moveToTrash")
                textSize: Theme.callout
                fixedHeight: 32
                horizontalPadding: 14
                onClicked: view.controller.requestRemoval(false)
            }
            GlassButton {
                objectName: "spaceDelete"
                prominent: false
                symbol: "trash.fill"
                text: L10n.text(L10n.language, "action.delete")
                textSize: Theme.callout
                fixedHeight: 32
                horizontalPadding: 14
                onClicked: view.controller.requestRemoval(true)
            }
        }
        Label {
            objectName: "spaceEmpty"
            visible: view.controller.entries.count === 0
            Layout.fillWidth: true
            Layout.topMargin: 20
            horizontalAlignment: Text.AlignHCenter
            text: L10n.text(L10n.language, "space.empty")
            color: Theme.white(0.6)
        }

        ListView {
            id: rows
            objectName: "spaceRows"
            Layout.fillWidth: true
            Layout.fillHeight: true
            // Room for a hovered row's glow and scale at the edges.
            Layout.leftMargin: -8; Layout.rightMargin: -8
            leftMargin: 8; rightMargin: 8; topMargin: 8; bottomMargin: 8
            Layout.topMargin: -8
            clip: true
            spacing: 12
            model: view.controller.entries
            boundsBehavior: Flickable.StopAtBounds
            reuseItems: false
            Controls.ScrollBar.vertical: Controls.ScrollBar { policy: Controls.ScrollBar.AsNeeded }
            delegate: SpaceRow {
                id: spaceRow
                width: rows.width - rows.leftMargin - rows.rightMargin
                accent: view.accent
                onActivated: view.controller.activate(spaceRow.index)
                onToggled: view.controller.toggleSelected(spaceRow.index)
                onKeepRequested: view.controller.keep(spaceRow.index)
            }
        }
    }

    // The plans' confirmation, with the same words.
    AlertDialog {
        objectName: "spaceConfirm"
        anchors.fill: parent
        z: 10
        shown: view.controller.showConfirm
        symbol: view.controller.confirmsDeletion ? "trash.fill" : "trash"
        accent: view.accent
        destructive: true
        title: view.controller.confirmTitle
        message: view.controller.confirmMessage
        cancelText: L10n.text(L10n.language, "action.cancel")
        confirmText: L10n.text(L10n.language, view.controller.confirmsDeletion ? "action.delete" : "action.moveToTrash")
        onAccepted: view.controller.confirmRemoval()
        onRejected: view.controller.cancelRemoval()
    }
}
