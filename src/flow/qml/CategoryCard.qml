pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Orvane.Shell
import Orvane.Flow

// One category: check box, icon tile, name and count, size, turning chevron; files when expanded.
// The card is as tall as all its files, but only the rows inside the visible part of `viewport`
// (the list it sits in) exist: a category of 100,000 files costs what a screenful costs.
Item {
    id: card
    required property SectionFlowController flow
    required property int index
    required property string categoryId
    required property string name
    required property string icon
    required property int fileCount
    required property string elementsText
    required property string totalSizeText
    required property int checkState // Qt.Checked, Qt.PartiallyChecked or Qt.Unchecked
    required property bool expanded
    required property bool showsFolders
    property Flickable viewport: ListView.view
    // The keyboard cursor of the list (ResultsView): on this card's header, or on a row of it.
    readonly property var list: ListView.view
    readonly property bool listFocused: list ? list.activeFocus : false
    readonly property int cursorFile: list && list.cursorCard === index ? list.cursorFile : -2
    // While the list scrolls through an open card, its header stays pinned at the top of the
    // view (until its last rows leave), so the rows never lose their category.
    readonly property real headerShift: viewport !== null && expanded && !reused
        ? Math.max(0, Math.min(viewport.contentY + 8 - (y + 18), drawer.height - 14 - rowHeight)) : 0
    readonly property real pinnedHeaderHeight: expanded ? headerBox.height + 16 : 0
    // The card's files: asked for only while it is open.
    readonly property var files: expanded || drawer.height > 0 ? flow.categories.filesAt(index) : null
    // Whether it plays the staggered entrance (read once, when the card is made).
    property bool entrance: true
    readonly property bool hovered: cardHover.hovered
    // The list reuses cards for other categories as it scrolls: nothing animates while a card
    // takes on another category's state.
    property bool reused: false
    ListView.onPooled: reused = true
    ListView.onReused: reused = false
    readonly property color accent: flow.accent
    readonly property real rowHeight: 32
    readonly property real rowsHeight: fileCount * rowHeight
    // The spring of the expansion is for lists that fit a few screens; a longer one opens at once.
    readonly property bool animateDrawer: rowsHeight <= 3000

    // Part of the rows inside the viewport (with a margin), in the rows' own coordinates.
    readonly property real rowsTop: y + content.y + headerBox.height + 14
    readonly property real windowTop: viewport ? Math.max(0, Math.min(rowsHeight, viewport.contentY - 64 - rowsTop)) : 0
    readonly property real windowBottom: viewport
        ? Math.max(windowTop, Math.min(rowsHeight, drawer.height - 14, viewport.contentY + viewport.height + 64 - rowsTop))
        : Math.max(0, drawer.height - 14)

    objectName: "categoryCard_" + index
    Accessible.role: Accessible.ListItem
    readonly property string summary: name + ", " + elementsText + ", " + totalSizeText
    Accessible.name: listFocused && cursorFile >= -1 ? list.cursorText : summary
    Accessible.focusable: true
    Accessible.focused: activeFocus
    width: ListView.view ? ListView.view.width : parent.width
    height: body.height
    transform: [stagger.shift]
    // The entrance and the hover scale a card about its centre; a card taller than the view is
    // scaled about its top, or a small change of scale would move its visible part by hundreds
    // of points.
    readonly property bool tall: viewport !== null && height > viewport.height
    transformOrigin: tall ? Item.Top : Item.Center
    AppearStagger { id: stagger; target: card; index: card.index; active: card.entrance }

    Item {
        id: body
        x: 30
        width: parent.width - 48 // the list leaves 12 on the right for its scroll bar
        height: content.height + 36
        scale: card.hovered && !card.tall ? 1.012 : 1
        transformOrigin: card.tall ? Item.Top : Item.Center
        Behavior on scale { enabled: !card.reused; EaseOut {} }

        CardShadow { target: face; color: Theme.black(0.38); blur: 14; offsetY: 8; cornerRadius: 16; knockout: true }
        CardShadow {
            target: face; color: Theme.tint(card.accent, 0.3); blur: 20; cornerRadius: 16; knockout: true
            opacity: card.expanded ? 1 : 0
            Behavior on opacity { enabled: !card.reused; EaseOut {} }
        }
        CardShadow {
            target: face; color: Theme.tint(card.accent, 0.35); blur: 22; cornerRadius: 16; knockout: true
            opacity: card.hovered ? 1 : 0
            Behavior on opacity { enabled: !card.reused; EaseOut {} }
        }
        Rectangle {
            id: face
            anchors.fill: parent
            radius: 16
            gradient: Gradient {
                GradientStop { position: 0; color: Theme.white(0.12) }
                GradientStop { position: 1; color: Theme.white(0.035) }
            }
            border.width: 1
            border.color: Theme.tint(card.accent, card.expanded ? 0.7 : 0.2)
        }
        HoverHandler { id: cardHover }

        Item {
            id: content
            x: 18; y: 18
            width: parent.width - 36
            height: headerBox.height + drawer.height

            // Header: a tap anywhere but the box toggles the expansion.
            Item {
                id: headerBox
                width: parent.width
                height: header.implicitHeight
                z: 2
                transform: Translate { y: card.headerShift }
                Rectangle {
                    objectName: card.objectName + "_pinned"
                    visible: card.headerShift > 0
                    anchors.fill: parent
                    anchors.margins: -8
                    anchors.leftMargin: -18; anchors.rightMargin: -18
                    radius: 12
                    color: Qt.rgba(0.17, 0.11, 0.15, 0.97)
                    border.width: 1
                    border.color: Theme.tint(card.accent, 0.5)
                }
                Accessible.role: Accessible.ListItem
                Accessible.name: card.summary
                FocusRing { inset: -8; radius: 12; shown: card.listFocused && card.cursorFile === -1 }
                MouseArea {
                    objectName: card.objectName + "_header"
                    anchors.fill: parent
                    cursorShape: Qt.PointingHandCursor
                    onClicked: card.flow.toggleExpanded(card.categoryId)
                }
                RowLayout {
                    id: header
                    width: parent.width
                    spacing: 14
                    Symbol {
                        objectName: card.objectName + "_check"
                        Accessible.ignored: false
                        Accessible.role: Accessible.CheckBox
                        Accessible.name: L10n.text(L10n.language, "a11y.selectAll", [card.name])
                        Accessible.checkable: true
                        Accessible.checked: card.checkState !== Qt.Unchecked
                        Accessible.description: L10n.text(L10n.language, card.checkState === Qt.Unchecked ? "a11y.unchecked"
                            : card.checkState === Qt.PartiallyChecked ? "a11y.partlyChecked" : "a11y.checked")
                        Accessible.onToggleAction: card.flow.toggleAll(card.categoryId)
                        Accessible.onPressAction: card.flow.toggleAll(card.categoryId)
                        name: card.checkState === Qt.Checked ? "checkmark.square.fill"
                            : card.checkState === Qt.PartiallyChecked ? "minus.square.fill" : "square"
                        size: 18
                        color: card.checkState === Qt.Unchecked ? Theme.white(0.5) : card.accent
                        MouseArea {
                            anchors.fill: parent
                            anchors.margins: -4
                            cursorShape: Qt.PointingHandCursor
                            onClicked: card.flow.toggleAll(card.categoryId)
                        }
                    }
                    Rectangle {
                        implicitWidth: 42; implicitHeight: 42; radius: 10
                        color: Theme.tint(card.accent, 0.2)
                        Symbol { anchors.centerIn: parent; name: card.icon; size: 18; color: card.accent }
                    }
                    Column {
                        Layout.fillWidth: true
                        spacing: 3
                        Label {
                            objectName: card.objectName + "_name"
                            width: parent.width
                            text: card.name
                            textFormat: Text.PlainText // a duplicate group is named after a file
                            bold: true
                            elide: Text.ElideMiddle
                        }
                        Label {
                            objectName: card.objectName + "_elements"
                            text: card.elementsText
                            size: Theme.caption
                            color: Theme.white(0.55)
                        }
                    }
                    Label {
                        objectName: card.objectName + "_size"
                        text: card.totalSizeText
                        size: Theme.headline
                        bold: true
                    }
                    Symbol {
                        name: "chevron.right"
                        size: 16
                        color: Theme.white(0.6)
                        rotation: card.expanded ? 90 : 0
                        Behavior on rotation {
                            enabled: !card.reused
                            Spring { response: Theme.expandSpring.response; dampingFraction: Theme.expandSpring.damping }
                        }
                    }
                }
            }

            // Files, 14 points under the header; rows exist only for the visible window.
            Item {
                id: drawer
                y: headerBox.height
                width: parent.width
                clip: true
                height: card.expanded ? card.rowsHeight + 14 : 0
                Behavior on height {
                    enabled: card.animateDrawer && !card.reused
                    Spring { response: Theme.expandSpring.response; dampingFraction: Theme.expandSpring.damping }
                }
                Loader {
                    id: rows
                    y: 14 + card.windowTop
                    width: parent.width
                    height: card.windowBottom - card.windowTop
                    active: height > 0
                    // Made over a few frames, so opening a category never stalls a frame.
                    asynchronous: true
                    source: "CardRows.qml"
                }
                // The rows' list is a file of its own (Qt 6.4's Loader cannot make this file's
                // bound components); what it shows is set here.
                Binding { target: rows.item; property: "objectName"; value: card.objectName + "_rows" }
                Binding { target: rows.item; property: "contentY"; value: card.windowTop }
                Binding { target: rows.item; property: "model"; value: card.files }
                Binding { target: rows.item; property: "delegate"; value: fileRow }
                Component {
                    id: fileRow
                    FileRow {
                        id: row
                        flow: card.flow; categoryId: card.categoryId; accent: card.accent
                        cardName: card.objectName; height: card.rowHeight
                        showsFolder: card.showsFolders
                        cursorHere: card.listFocused && card.cursorFile === row.index
                    }
                }
            }
        }
    }
}
