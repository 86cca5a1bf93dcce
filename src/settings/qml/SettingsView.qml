pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic as Controls
import Orvane.Shell
import Orvane.Settings

// Settings: language, open at login, updates, and the user's startup items.
Item {
    id: view
    objectName: "settingsView"
    // The screen's state; tests hand in one with recording services.
    property SettingsController controller: SettingsController {}
    readonly property color accent: Theme.accent("settings")

    Component.onCompleted: controller.refresh()

    // The scrolling part starts below the window's top strip (its buttons and drag area), so
    // content scrolled up is cut off there instead of passing under them.
    Flickable {
        id: flick
        objectName: "settingsScroller"
        anchors.fill: parent
        anchors.topMargin: 28
        clip: true
        contentWidth: width
        contentHeight: column.implicitHeight + 36
        boundsBehavior: Flickable.StopAtBounds
        // Always shown while there is something to scroll, so the screen shows that it scrolls.
        Controls.ScrollBar.vertical: Controls.ScrollBar {
            policy: flick.contentHeight > flick.height ? Controls.ScrollBar.AlwaysOn : Controls.ScrollBar.AlwaysOff
        }

        ColumnLayout {
            id: column
            width: Math.min(720, flick.width - 64)
            x: (flick.width - width) / 2
            y: 4
            spacing: 22

            Label {
                objectName: "settingsTitle"
                text: L10n.text(L10n.language, "settings.title")
                size: 30; bold: true
            }

            Heading { objectName: "settingsLanguageHeading"; key: "settings.language" }
            LanguageChooser {
                objectName: "languageChooser"
                Layout.fillWidth: true
                Layout.maximumWidth: 300
                onChoose: (code) => L10n.language = code
            }

            Heading { objectName: "settingsGeneralHeading"; key: "settings.general" }
            Card {
                RowLayout {
                    width: parent.width
                    spacing: 10
                    Symbol { name: "power"; size: 14 }
                    Label {
                        objectName: "launchAtLoginLabel"
                        Layout.fillWidth: true
                        text: L10n.text(L10n.language, "settings.launchAtLogin")
                        elide: Text.ElideRight
                    }
                    ToggleSwitch {
                        objectName: "launchAtLoginToggle"
                        accessibleName: L10n.text(L10n.language, "settings.launchAtLogin")
                        tint: view.accent
                        // What the desktop reports after each attempt, not what was asked for.
                        checked: view.controller.launchAtLogin.enabled
                        onToggled: (on) => view.controller.setLaunchAtLogin(on)
                    }
                }
            }

            Heading { objectName: "settingsUpdatesHeading"; key: "settings.updates" }
            Card {
                RowLayout {
                    width: parent.width
                    spacing: 12
                    Label {
                        objectName: "currentVersionLabel"
                        Layout.fillWidth: true
                        text: L10n.text(L10n.language, "settings.currentVersion", [view.controller.version])
                        elide: Text.ElideRight
                    }
                    GlassButton {
                        objectName: "checkUpdatesButton"
                        visible: Updater.enabled
                        prominent: false
                        text: L10n.text(L10n.language, "settings.checkUpdates")
                        textSize: Theme.callout
                        fixedHeight: 30
                        horizontalPadding: 14
                        onClicked: Updater.checkForUpdates()
                    }
                }
                Label {
                    objectName: "updatesFromSystem"
                    visible: !Updater.enabled
                    y: 38
                    width: parent.width
                    text: L10n.text(L10n.language, "settings.updatesFromSystem")
                    color: Theme.white(0.6)
                    wrapMode: Text.WordWrap
                }
            }

            Heading { objectName: "settingsStartupHeading"; key: "settings.startupTitle" }
            Repeater {
                model: view.controller.startupItems
                delegate: StartupItemRow {
                    id: startupRow
                    Layout.fillWidth: true
                    onRemove: view.controller.requestRemoval(startupRow.index)
                    onReveal: view.controller.revealStartupItem(startupRow.index)
                }
            }
            Card {
                objectName: "startupEmpty"
                visible: view.controller.startupItems.count === 0
                Label {
                    objectName: "startupEmptyText"
                    width: parent.width
                    text: L10n.text(L10n.language, "settings.noStartupItems")
                    color: Theme.white(0.6)
                    wrapMode: Text.WordWrap
                }
            }

            Heading { objectName: "settingsKeptHeading"; key: "settings.keptTitle" }
            Repeater {
                model: view.controller.keptItems
                delegate: Card {
                    id: kept
                    required property int index
                    required property string modelData
                    objectName: "keptRow_" + index
                    RowLayout {
                        width: parent.width
                        spacing: 12
                        Label {
                            objectName: "keptRow_" + kept.index + "_path"
                            Layout.fillWidth: true
                            text: kept.modelData
                            textFormat: Text.PlainText
                            elide: Text.ElideMiddle
                        }
                        GlassButton {
                            objectName: "keptRow_" + kept.index + "_takeBack"
                            prominent: false
                            text: L10n.text(L10n.language, "settings.keptTakeBack")
                            textSize: Theme.callout
                            fixedHeight: 30
                            horizontalPadding: 14
                            onClicked: view.controller.takeBack(kept.index)
                        }
                    }
                }
            }
            Card {
                objectName: "keptEmpty"
                visible: view.controller.keptItems.length === 0
                Label {
                    width: parent.width
                    text: L10n.text(L10n.language, "settings.keptEmpty")
                    color: Theme.white(0.6)
                    wrapMode: Text.WordWrap
                }
            }
        }
    }

    AlertDialog {
        id: removeAlert
        objectName: "removeAlert"
        // Over the whole window, centred on it like the other alerts.
        parent: view.Window.window ? view.Window.window.contentItem : view
        anchors.fill: parent
        z: 55
        shown: view.controller.showRemoveConfirm
        symbol: "xmark.circle"
        accent: view.accent
        destructive: true
        title: L10n.text(L10n.language, "settings.removeTitle")
        message: L10n.text(L10n.language, "settings.removeMsg", [view.controller.itemToRemoveName])
        cancelText: L10n.text(L10n.language, "action.cancel")
        confirmText: L10n.text(L10n.language, "settings.removeConfirm")
        onAccepted: view.controller.confirmRemoval()
        onRejected: view.controller.cancelRemoval()
    }

    // A section heading.
    component Heading: Label {
        property string key
        Layout.topMargin: 6
        text: L10n.text(L10n.language, key)
        size: Theme.headline; semibold: true
        color: Theme.white(0.75)
    }

    // Content padded 16 on a faint rounded card, stretched to the full width.
    component Card: Item {
        default property alias content: holder.data
        Layout.fillWidth: true
        implicitHeight: holder.childrenRect.height + 32
        Rectangle {
            anchors.fill: parent
            radius: 14
            color: Theme.white(0.07)
        }
        Item {
            id: holder
            x: 16; y: 16
            width: parent.width - 32
            height: childrenRect.height
        }
    }
}
