import QtQuick
import QtQuick.Layouts
import Orvane.Shell

// One startup item: its readable name (full file name on hover), Remove and View in Finder.
Item {
    id: row
    required property int index
    required property string displayName
    required property string fileName
    signal remove()
    signal reveal()
    objectName: "startupRow_" + index
    implicitHeight: content.implicitHeight + 32

    Rectangle {
        anchors.fill: parent
        radius: 14
        color: Theme.white(0.07)
    }
    RowLayout {
        id: content
        anchors.fill: parent
        anchors.margins: 16
        spacing: 12
        Symbol {
            name: "arrow.right.circle.fill"
            size: 16
            color: Theme.accent("settings")
        }
        Label {
            objectName: row.objectName + "_name"
            Layout.fillWidth: true
            Layout.minimumWidth: 40
            text: row.displayName
            elide: Text.ElideRight
            maximumLineCount: 1
            MouseArea { id: nameArea; anchors.fill: parent; hoverEnabled: true; acceptedButtons: Qt.NoButton }
            HoverTip { visible: nameArea.containsMouse; text: row.fileName }
        }
        GlassButton {
            objectName: row.objectName + "_remove"
            prominent: false
            symbol: "xmark.circle"
            text: L10n.text(L10n.language, "settings.removeStartup")
            textSize: Theme.callout
            bold: false
            fixedHeight: 30
            horizontalPadding: 12
            accessibleDescription: row.displayName
            onClicked: row.remove()
        }
        GlassButton {
            id: revealButton
            objectName: row.objectName + "_reveal"
            prominent: false
            fixedWidth: 36
            fixedHeight: 30
            accessibleName: L10n.text(L10n.language, "settings.viewInFinder")
            accessibleDescription: row.displayName
            onClicked: row.reveal()
            Symbol { anchors.centerIn: parent; name: "magnifyingglass"; size: Theme.callout + 1 }
            HoverTip { visible: revealButton.hovered; text: L10n.text(L10n.language, "settings.viewInFinder") }
        }
    }
}
