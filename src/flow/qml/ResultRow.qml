pragma ComponentBehavior: Bound
import QtQuick
import Orvane.Shell
import Orvane.Flow

// One row of the results list: a category's header or one of its files. Each row draws its
// slice of the category's card (rounded on top for the header, at the bottom for the card's last
// row), so a card of 100,000 files costs what the rows on screen cost.
Item {
    id: row
    required property SectionFlowController flow
    required property int index
    required property bool isHeader
    required property int category
    required property int file
    required property bool cardEnd
    required property string categoryId
    required property string name
    required property string icon
    required property string elementsText
    required property string totalSizeText
    required property int checkState
    required property bool expanded
    required property bool showsFolders
    required property string fileId
    required property string sizeText
    required property bool selected
    required property string leftoversText
    required property string leftoversList
    required property string iconSource
    required property string folder
    required property string accessibleName
    property bool entrance: true // plays the staggered entrance (read once, when the row is made)

    // What the list says: where its keyboard cursor is and what it is on, which card the pointer is over.
    property bool listFocused: false
    property int cursorRow: -1
    property string cursorText
    property int hoveredCard: -1
    signal hovered(bool on)
    readonly property bool cursorHere: listFocused && cursorRow === index
    readonly property bool cardHovered: hoveredCard === category
    readonly property color accent: flow.accent
    readonly property string prefix: "categoryCard_" + category
    readonly property real gap: cardEnd ? 14 : 0 // between cards
    // The list reuses rows as it scrolls: nothing animates while a row takes on another's state.
    property bool reused: false
    ListView.onPooled: reused = true
    ListView.onReused: reused = false

    objectName: isHeader ? prefix : "" // a file row is named by its FileRow
    width: ListView.view ? ListView.view.width : 0
    height: (isHeader ? 18 + 42 + (cardEnd ? 18 : 14) : 32 + (cardEnd ? 18 : 0)) + gap
    // The row under the list's cursor tells screen readers what the cursor is on.
    Accessible.role: Accessible.ListItem
    Accessible.name: cursorHere ? cursorText
        : isHeader ? name + ", " + elementsText + ", " + totalSizeText : accessibleName
    Accessible.focusable: true
    Accessible.focused: cursorHere
    transform: [stagger.shift]
    AppearStagger { id: stagger; target: row; index: row.category; active: row.entrance && row.isHeader }

    HoverHandler { onHoveredChanged: row.hovered(hovered) }

    // The card's face, border and shadow: a rounded rectangle taller than the row where the card
    // goes on, cut to the row, so the rows meet into one card. The shadow is drawn whole where
    // the card begins or ends; a row inside the card draws only the shadow's sides.
    readonly property real over: 64
    readonly property bool whole: isHeader && cardEnd // a closed card is one row
    readonly property real faceTop: isHeader ? 0 : -over
    readonly property real faceHeight: height - gap + (isHeader ? 0 : over) + (cardEnd ? 0 : over)
    readonly property real glow: expanded || !isHeader ? 1 : 0
    Item {
        id: body
        width: parent.width
        height: row.height - row.gap
        // A closed card grows under the pointer as a whole.
        scale: row.cardHovered && row.whole ? 1.012 : 1
        Behavior on scale { enabled: !row.reused; EaseOut {} }

        // Made only where the card begins or ends (a Repeater of one, as for the row's content).
        Repeater {
            model: row.isHeader || row.cardEnd ? 1 : 0
            delegate: Item {
                id: shadows
                y: row.isHeader ? -row.over : 0
                width: body.width
                height: body.height + (row.isHeader ? row.over : 0) + (row.cardEnd ? row.over : 0)
                clip: !row.whole
                Item { id: shape; x: 30; y: row.faceTop - shadows.y; width: face.width; height: row.faceHeight }
                CardShadow { target: shape; color: Theme.black(0.38); blur: 14; offsetY: 8; cornerRadius: 16; knockout: true }
                CardShadow {
                    target: shape; color: Theme.tint(row.accent, 0.3); blur: 20; cornerRadius: 16; knockout: true
                    opacity: row.glow
                    Behavior on opacity { enabled: !row.reused; EaseOut {} }
                }
                CardShadow {
                    target: shape; color: Theme.tint(row.accent, 0.35); blur: 22; cornerRadius: 16; knockout: true
                    opacity: row.cardHovered ? 1 : 0
                    Behavior on opacity { enabled: !row.reused; EaseOut {} }
                }
            }
        }
        Item {
            visible: !row.isHeader && !row.cardEnd
            x: 30
            width: face.width
            height: parent.height
            ShadowSides { color: Theme.black(0.38); blur: 14 }
            ShadowSides { color: Theme.tint(row.accent, 0.3); blur: 20 }
            ShadowSides { color: Theme.tint(row.accent, 0.35); blur: 22; visible: row.cardHovered }
        }
        Item {
            width: parent.width
            height: parent.height
            clip: !row.whole
            Rectangle {
                id: face
                x: 30
                y: row.faceTop
                width: parent.width - 48 // the list leaves 12 on the right for its scroll bar
                height: row.faceHeight
                radius: 16
                gradient: Gradient {
                    GradientStop { position: 0; color: Theme.white(row.isHeader ? 0.12 : 0.1) }
                    GradientStop { position: 1; color: Theme.white(row.whole ? 0.035 : 0.1) }
                }
                border.width: 1
                border.color: Theme.tint(row.accent, row.glow > 0 ? 0.7 : 0.2)
            }
        }
    }

    // Either side of a card's face, what a blurred shadow shows beside a straight edge.
    component ShadowSides: Item {
        id: sides
        property color color
        property real blur
        readonly property real spread: Math.ceil(blur * 1.5) + 2
        anchors.fill: parent
        Rectangle {
            x: -sides.spread; width: sides.spread; height: parent.height
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0; color: "transparent" }
                GradientStop { position: 0.6; color: Qt.rgba(sides.color.r, sides.color.g, sides.color.b, sides.color.a * 0.15) }
                GradientStop { position: 1; color: Qt.rgba(sides.color.r, sides.color.g, sides.color.b, sides.color.a * 0.5) }
            }
        }
        Rectangle {
            x: parent.width; width: sides.spread; height: parent.height
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0; color: Qt.rgba(sides.color.r, sides.color.g, sides.color.b, sides.color.a * 0.5) }
                GradientStop { position: 0.4; color: Qt.rgba(sides.color.r, sides.color.g, sides.color.b, sides.color.a * 0.15) }
                GradientStop { position: 1; color: "transparent" }
            }
        }
    }

    Repeater {
        model: row.isHeader ? 1 : 0
        delegate: Item {
            x: 48; y: 18
            width: row.width - 84
            height: 42
            scale: body.scale
            FocusRing { inset: -8; radius: 12; shown: row.cursorHere }
            MouseArea {
                objectName: row.prefix + "_header"
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: row.flow.toggleExpanded(row.categoryId)
            }
            CardHeader {
                width: parent.width
                anchors.verticalCenter: parent.verticalCenter
                flow: row.flow; prefix: row.prefix; categoryId: row.categoryId; name: row.name; icon: row.icon
                elementsText: row.elementsText; totalSizeText: row.totalSizeText; checkState: row.checkState
                expanded: row.expanded; animate: !row.reused
            }
        }
    }
    Repeater {
        model: row.isHeader ? 0 : 1
        delegate: FileRow {
            x: 48; y: 0
            width: row.width - 84
            height: 32
            flow: row.flow; categoryId: row.categoryId; accent: row.accent; cardName: row.prefix
            file: row.file; fileId: row.fileId; name: row.name; sizeText: row.sizeText; selected: row.selected
            leftoversText: row.leftoversText; leftoversList: row.leftoversList; iconSource: row.iconSource
            folder: row.folder; accessibleName: row.accessibleName
            showsFolder: row.showsFolders; cursorHere: row.cursorHere
        }
    }
}
