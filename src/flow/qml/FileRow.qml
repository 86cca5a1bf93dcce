import QtQuick
import QtQuick.Layouts
import Orvane.Shell
import Orvane.Flow

// One file of an expanded category: check box, icon, name (a click on it ticks the box too),
// its folder where the category's items lie in several, leftovers, size and a button that shows
// the item in the file manager. Rows are made and reused as the list scrolls, so a row holds
// nothing of its own beyond what the model gives it.
Item {
    id: row
    required property SectionFlowController flow
    required property string categoryId
    required property color accent
    required property string cardName
    required property int file // its position in the category
    required property string fileId
    required property string name
    required property string sizeText
    required property bool selected
    required property string leftoversText
    required property string leftoversList
    required property string iconSource
    required property string folder
    required property string accessibleName
    property bool showsFolder: false
    property bool cursorHere: false // the list's keyboard cursor is on this row
    readonly property bool hovered: hover.hovered
    HoverHandler { id: hover }
    FocusRing { inset: -1; radius: 8; shown: row.cursorHere }
    Accessible.role: Accessible.CheckBox
    Accessible.name: accessibleName
    Accessible.checkable: true
    Accessible.checked: selected
    Accessible.onToggleAction: row.flow.toggleFile(row.categoryId, row.fileId)
    Accessible.onPressAction: row.flow.toggleFile(row.categoryId, row.fileId)

    objectName: cardName + "_file_" + file
    implicitHeight: layout.implicitHeight + 10

    RowLayout {
        id: layout
        x: 20; y: (row.height - implicitHeight) / 2
        width: parent.width - 20
        spacing: 12
        Symbol {
            objectName: row.objectName + "_check"
            name: row.selected ? "checkmark.square.fill" : "square"
            size: 16
            color: row.selected ? row.accent : Theme.white(0.5)
            MouseArea {
                anchors.fill: parent
                anchors.margins: -4
                cursorShape: Qt.PointingHandCursor
                onClicked: row.flow.toggleFile(row.categoryId, row.fileId)
            }
        }
        Image {
            Layout.preferredWidth: 22; Layout.preferredHeight: 22
            source: row.iconSource
            sourceSize.width: 44; sourceSize.height: 44
            fillMode: Image.PreserveAspectFit
            asynchronous: true // looked up off the GUI thread, once per kind of item
            smooth: true
        }
        Label {
            objectName: row.objectName + "_name"
            text: row.name
            color: Theme.white(0.85)
            elide: Text.ElideMiddle
            Layout.maximumWidth: layout.width * (row.showsFolder ? 0.4 : 0.6)
            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: row.flow.toggleFile(row.categoryId, row.fileId)
            }
        }
        Label {
            objectName: row.objectName + "_folder"
            visible: row.showsFolder
            text: row.folder
            textFormat: Text.PlainText
            size: Theme.caption
            color: Theme.white(0.5)
            elide: Text.ElideMiddle
            Layout.maximumWidth: layout.width * 0.3
        }
        Label {
            objectName: row.objectName + "_leftovers"
            visible: row.leftoversText !== ""
            text: row.leftoversText
            size: Theme.caption
            color: Theme.tint(row.accent, 0.85)
            Accessible.name: row.leftoversList
            // Which folders and files go with the app, on hover.
            MouseArea { id: leftoversArea; anchors.fill: parent; hoverEnabled: true; acceptedButtons: Qt.NoButton }
            HoverTip { visible: leftoversArea.containsMouse; text: row.leftoversList }
        }
        Item { Layout.fillWidth: true }
        // "Never offer this": shown while the pointer is over the row.
        Label {
            objectName: row.objectName + "_keep"
            opacity: row.hovered || row.cursorHere || keepArea.containsMouse ? 1 : 0
            text: L10n.text(L10n.language, "keep.action")
            size: Theme.caption
            color: keepArea.containsMouse ? Theme.white(0.9) : Theme.white(0.55)
            Accessible.role: Accessible.Button
            Accessible.name: text
            MouseArea {
                id: keepArea
                anchors.fill: parent
                anchors.margins: -4
                hoverEnabled: true
                cursorShape: Qt.PointingHandCursor
                onClicked: row.flow.keepFile(row.categoryId, row.fileId)
            }
        }
        GlassButton {
            id: reveal
            objectName: row.objectName + "_reveal"
            prominent: false
            fixedWidth: 28; fixedHeight: 22
            activeFocusOnTab: false // the list's cursor reaches it with Ctrl+Return
            opacity: row.hovered || row.cursorHere ? 1 : 0.35
            accessibleName: L10n.text(L10n.language, "settings.viewInFinder")
            onClicked: row.flow.revealFile(row.categoryId, row.fileId)
            Symbol { anchors.centerIn: parent; name: "magnifyingglass"; size: Theme.callout }
            HoverTip { visible: reveal.hovered; text: reveal.accessibleName }
        }
        Label {
            text: row.sizeText
            size: Theme.callout
            color: Theme.white(0.7)
        }
    }
}
