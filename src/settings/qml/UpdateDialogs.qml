import QtQuick
import Orvane.Shell
import Orvane.Settings

// What the updater has to say, over the whole window: a newer version (Later / Download), and for
// checks the user asked for, "up to date" or why the check failed. Automatic checks that find
// nothing, or fail, stay silent; the updater does not report them.
Item {
    id: dialogs
    objectName: "updateDialogs"
    property var updater: Updater
    // "available", "upToDate" or "failed"; kept while the alert fades out.
    property string kind
    property bool open: false
    property string newVersion
    property string currentVersion
    property string failure

    Connections {
        target: dialogs.updater
        function onUpdateAvailable(newVersion, currentVersion) {
            dialogs.newVersion = newVersion
            dialogs.currentVersion = currentVersion
            dialogs.show("available")
        }
        function onUpToDate() { dialogs.show("upToDate") }
        function onCheckFailed(message) {
            dialogs.failure = message
            dialogs.show("failed")
        }
    }
    function show(which) {
        kind = which
        open = true
    }

    AlertDialog {
        id: alert
        objectName: "updateAlert"
        anchors.fill: parent
        shown: dialogs.open
        accent: Theme.brand
        symbol: dialogs.kind === "available" ? "arrow.down.circle"
              : dialogs.kind === "upToDate" ? "checkmark.seal.fill" : "info.circle"
        title: {
            const language = L10n.language
            switch (dialogs.kind) {
            case "available": return L10n.text(language, "update.title")
            case "upToDate": return L10n.text(language, "settings.upToDate")
            default: return language !== "" ? dialogs.updater.failureTitle() : ""
            }
        }
        message: {
            const language = L10n.language
            switch (dialogs.kind) {
            case "available": return L10n.text(language, "update.message", [dialogs.newVersion, dialogs.currentVersion])
            case "upToDate": return L10n.text(language, "settings.currentVersion", [dialogs.updater.currentVersion])
            default: return dialogs.failure
            }
        }
        cancelText: dialogs.kind === "available" ? L10n.text(L10n.language, "update.later") : ""
        confirmText: dialogs.kind === "available" ? L10n.text(L10n.language, "update.download")
                                                  : (L10n.language !== "" ? dialogs.updater.okText() : "")
        onAccepted: {
            dialogs.open = false
            if (dialogs.kind === "available")
                dialogs.updater.openDownloadPage()
        }
        onRejected: dialogs.open = false
    }
}
