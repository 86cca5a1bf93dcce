import QtQuick
import QtQuick.Layouts
import Orvane.Shell

// One folder or file: symbol, name and size over a bar scaled to the heaviest row, and where a
// click leads (into the folder, or to the file manager).
Item {
    id: row
    required property int index
    required property string name
    required property string icon
    required property string formattedSize
    required property real fraction
    required property bool isDirectory
    required property string iconSource
    required property bool selected
    property color accent: "white"
    // Under the pointer. Every load makes new rows, so none stays hovered across reloads.
    property bool hovered: false
    signal activated()
    signal toggled()       // the check box: ticked for removal or not
    signal keepRequested() // "Never offer this"

    objectName: "spaceRow_" + index
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: name + ", " + formattedSize
    Accessible.focusable: true
    Accessible.focused: activeFocus
    Accessible.onPressAction: row.activated()
    Keys.onSpacePressed: row.activated()
    Keys.onReturnPressed: row.activated()
    Keys.onEnterPressed: row.activated()
    FocusRing { radius: 17 }
    implicitHeight: content.implicitHeight + 32
    scale: hovered ? 1.01 : 1
    z: hovered ? 1 : 0
    Behavior on scale { EaseOut {} }

    Shadow {
        target: glass
        color: Theme.tint(row.accent, 0.28)
        blur: 16
        cornerRadius: 14
        knockout: true // a glow around the glass row, not through it
        opacity: row.hovered ? 1 : 0
        Behavior on opacity { EaseOut {} }
    }
    CardBackground {
        id: glass
        anchors.fill: parent
        radius: 14
        shadowOpacity: 0.18
        shadowOffset: 4
        topColor: Theme.white(row.hovered ? 0.12 : 0.09)
        bottomColor: Theme.white(row.hovered ? 0.06 : 0.035)
        borderColor: Theme.white(0.08)
    }
    RowLayout {
        id: content
        x: 16; y: 16
        width: parent.width - 32
        spacing: 14
        Symbol {
            id: check
            objectName: row.objectName + "_check"
            name: row.selected ? "checkmark.square.fill" : "square"
            size: 16
            color: row.selected ? row.accent : Theme.white(0.5)
            Accessible.role: Accessible.CheckBox
            Accessible.checkable: true
            Accessible.checked: row.selected
            Accessible.name: row.name
        }
        // A folder's symbol in the accent colour; a file shows its own type's icon.
        Item {
            Layout.preferredWidth: 28
            implicitHeight: 24
            Symbol {
                anchors.centerIn: parent
                visible: row.isDirectory
                name: row.icon
                size: Theme.title3
                color: row.accent
            }
            Image {
                objectName: row.objectName + "_fileIcon"
                anchors.centerIn: parent
                visible: !row.isDirectory
                width: 24; height: 24
                source: row.isDirectory ? "" : row.iconSource
                sourceSize.width: 48; sourceSize.height: 48
                fillMode: Image.PreserveAspectFit
                asynchronous: true
                smooth: true
            }
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 7
            RowLayout {
                Layout.fillWidth: true
                spacing: 10
                Label {
                    objectName: row.objectName + "_name"
                    Layout.fillWidth: true
                    text: row.name
                    elide: Text.ElideMiddle
                    maximumLineCount: 1
                }
                Label {
                    id: keepLabel
                    objectName: row.objectName + "_keep"
                    visible: row.hovered
                    text: L10n.text(L10n.language, "keep.action")
                    size: Theme.caption
                    color: Theme.white(0.6)
                    Accessible.role: Accessible.Button
                    Accessible.name: text
                }
                Label {
                    objectName: row.objectName + "_size"
                    text: row.formattedSize
                    bold: true
                    color: Theme.white(0.85)
                }
            }
            Item {
                Layout.fillWidth: true
                implicitHeight: 8
                Rectangle { anchors.fill: parent; radius: 4; color: Theme.white(0.12) }
                Rectangle {
                    objectName: row.objectName + "_bar"
                    height: parent.height
                    width: parent.width * row.fraction
                    visible: width > 0.5
                    radius: 4
                    gradient: Gradient {
                        GradientStop { position: 0; color: Theme.gradientTop(row.accent) }
                        GradientStop { position: 1; color: Theme.gradientBottom(row.accent) }
                    }
                }
            }
        }
        Symbol {
            name: row.isDirectory ? "chevron.right" : "arrow.up.forward.square"
            size: Theme.body
            color: Theme.white(0.5)
        }
    }
    MouseArea {
        // Hovered once the pointer moves over the row: a row that appears under a pointer at rest
        // (after a reload, every row is new) is not hovered until the pointer moves.
        property point enteredAt
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onContainsMouseChanged: {
            if (containsMouse)
                enteredAt = Qt.point(mouseX, mouseY)
            else
                row.hovered = false
        }
        onPositionChanged: (mouse) => {
            if (!row.hovered && (mouse.x !== enteredAt.x || mouse.y !== enteredAt.y))
                row.hovered = true
        }
        // The check box and "Never offer this" sit under this area: a click on them is theirs.
        onClicked: (mouse) => {
            const within = (item) => {
                const p = mapToItem(item, mouse.x, mouse.y)
                return item.visible && p.x >= -4 && p.y >= -4 && p.x <= item.width + 4 && p.y <= item.height + 4
            }
            if (within(check))
                row.toggled()
            else if (within(keepLabel))
                row.keepRequested()
            else
                row.activated()
        }
    }
}
