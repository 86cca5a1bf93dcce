pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic as Controls
import Orvane.Shell
import Orvane.Flow

// The results as one list of category headers and, for open categories, their files; rows are
// made for the visible part only and the first screenful enters staggered. By keyboard the list
// is one stop: a cursor moves over headers and rows (Up, Down, Page Up/Down, Home, End), Left
// and Right collapse and expand, Space ticks, Return opens a header or ticks a row, Ctrl+Return
// shows a row's item in its folder.
ListView {
    id: scroller
    required property SectionFlowController flow
    property bool entering: true
    property int cursorCard: 0
    property int cursorFile: -1 // -1: the card's header
    property int hoveredCard: -1
    readonly property CategoryListModel model_: flow.categories
    readonly property ResultRowsModel rows_: flow.categories.rows
    // The row under the cursor is the list's current item: screen readers hear what it is on.
    property int rowsRevision: 0
    currentIndex: {
        void rowsRevision
        return rows_.rowAt(cursorCard, cursorFile)
    }
    onCountChanged: rowsRevision += 1
    activeFocusOnTab: true
    keyNavigationEnabled: false
    highlightFollowsCurrentItem: false
    Timer { running: true; interval: 0; onTriggered: Theme.offerFocus(scroller, scroller.Window.window) }
    Accessible.role: Accessible.List
    Accessible.name: L10n.text(L10n.language, "a11y.results")
    Accessible.description: cursorText
    Accessible.focusable: true
    Accessible.focused: activeFocus
    property string cursorText: {
        void flow.selectedText // the texts change with the selection
        void L10n.language
        return model_.count > 0 ? model_.describeAt(cursorCard, cursorFile) : ""
    }

    // The positions the cursor can take, in order: each header, then its rows when open.
    function step(by) {
        let card = cursorCard, file = cursorFile
        const cards = model_.count
        if (cards === 0)
            return
        while (by > 0) {
            const rows = model_.isExpandedAt(card) ? model_.fileCountAt(card) : 0
            if (file + 1 < rows) {
                const jump = Math.min(by, rows - 1 - file)
                file += jump; by -= jump
            } else if (card + 1 < cards) {
                card += 1; file = -1; by -= 1
            } else {
                break
            }
        }
        while (by < 0) {
            if (file >= 0) {
                const jump = Math.min(-by, file + 1)
                file -= jump; by += jump
            } else if (card > 0) {
                card -= 1
                file = model_.isExpandedAt(card) ? model_.fileCountAt(card) - 1 : -1
                by += 1
            } else {
                break
            }
        }
        moveTo(card, file)
    }
    function moveTo(card, file) {
        cursorCard = card
        cursorFile = file
        showCursor()
    }
    // Scrolls just enough to show the cursor's header or row (below a pinned header).
    function showCursor() {
        const at = rows_.rowAt(cursorCard, cursorFile)
        if (at < 0)
            return
        positionViewAtIndex(at, ListView.Contain)
        const item = itemAtIndex(at)
        if (item === null || cursorFile < 0)
            return
        const top = item.y - pinned.height - 8
        if (top < contentY)
            contentY = Math.max(originY - topMargin, top)
    }
    function pageRows() { return Math.max(1, Math.floor(height / 32) - 2) }
    function toggleAtCursor() {
        const id = model_.categoryIdAt(cursorCard)
        if (cursorFile < 0)
            flow.toggleAll(id)
        else
            flow.toggleFile(id, model_.fileIdAt(cursorCard, cursorFile))
    }
    function setExpanded(open) {
        if (model_.isExpandedAt(cursorCard) !== open)
            flow.toggleExpanded(model_.categoryIdAt(cursorCard))
    }
    Connections {
        target: scroller.model_
        function onCountChanged() {
            if (scroller.cursorCard >= scroller.model_.count)
                scroller.moveTo(Math.max(0, scroller.model_.count - 1), -1)
        }
    }
    Keys.onPressed: (event) => {
        const ctrl = event.modifiers & Qt.ControlModifier
        switch (event.key) {
        case Qt.Key_Down: step(1); break
        case Qt.Key_Up: step(-1); break
        case Qt.Key_PageDown: step(pageRows()); break
        case Qt.Key_PageUp: step(-pageRows()); break
        case Qt.Key_Home: moveTo(0, -1); break
        case Qt.Key_End: {
            const last = model_.count - 1
            moveTo(last, model_.isExpandedAt(last) ? model_.fileCountAt(last) - 1 : -1)
            break
        }
        case Qt.Key_Left:
            if (cursorFile >= 0) moveTo(cursorCard, -1)
            else setExpanded(false)
            break
        case Qt.Key_Right:
            if (cursorFile < 0 && !model_.isExpandedAt(cursorCard)) setExpanded(true)
            else if (cursorFile < 0 && model_.fileCountAt(cursorCard) > 0) moveTo(cursorCard, 0)
            break
        case Qt.Key_Space: toggleAtCursor(); break
        case Qt.Key_Return:
        case Qt.Key_Enter:
            if (cursorFile >= 0 && ctrl)
                flow.revealFile(model_.categoryIdAt(cursorCard), model_.fileIdAt(cursorCard, cursorFile))
            else if (cursorFile < 0)
                setExpanded(!model_.isExpandedAt(cursorCard))
            else
                toggleAtCursor()
            break
        default: return
        }
        event.accepted = true
    }
    clip: true
    topMargin: 4
    bottomMargin: 8
    boundsBehavior: Flickable.StopAtBounds
    reuseItems: true
    cacheBuffer: 0
    model: rows_
    delegate: ResultRow {
        id: row
        flow: scroller.flow; entrance: scroller.entering
        listFocused: scroller.activeFocus; cursorRow: scroller.currentIndex; cursorText: scroller.cursorText
        hoveredCard: scroller.hoveredCard
        onHovered: (on) => {
            if (on)
                scroller.hoveredCard = row.category
            else if (scroller.hoveredCard === row.category)
                scroller.hoveredCard = -1
        }
    }

    // While the list scrolls through an open card, its header stays pinned at the top of the
    // view, so the rows never lose their category.
    readonly property int pinnedCard: {
        void count
        const top = itemAt(width / 2, contentY + 8) as ResultRow
        return top && !top.isHeader ? top.category : -1
    }
    Item {
        id: pinned
        parent: scroller // above the rows, not among them
        objectName: "categoryCard_" + scroller.pinnedCard + "_pinned"
        visible: scroller.pinnedCard >= 0
        x: 30; y: 0; z: 2
        width: scroller.width - 48
        height: pinnedHeader.implicitHeight + 16
        readonly property var header: {
            void scroller.flow.selectedText
            void L10n.language
            void scroller.rowsRevision
            return scroller.model_.headerAt(scroller.pinnedCard)
        }
        Rectangle {
            anchors.fill: parent
            radius: 12
            color: Qt.rgba(0.17, 0.11, 0.15, 0.97)
            border.width: 1
            border.color: Theme.tint(scroller.flow.accent, 0.5)
        }
        MouseArea {
            anchors.fill: parent
            cursorShape: Qt.PointingHandCursor
            onClicked: scroller.flow.toggleExpanded(pinned.header.categoryId ?? "")
        }
        CardHeader {
            id: pinnedHeader
            x: 18; y: 8
            width: parent.width - 36
            flow: scroller.flow; prefix: pinned.objectName
            categoryId: pinned.header.categoryId ?? ""; name: pinned.header.name ?? ""
            icon: pinned.header.icon ?? ""; elementsText: pinned.header.elementsText ?? ""
            totalSizeText: pinned.header.totalSizeText ?? ""; checkState: pinned.header.checkState ?? 0
            expanded: true
        }
    }

    // A scroll bar only when there is something to scroll; its thumb stays big enough to take
    // hold of on a list of thousands of rows.
    Controls.ScrollBar.vertical: Controls.ScrollBar {
        objectName: "resultsScrollBar"
        minimumSize: 0.06
        policy: scroller.contentHeight + scroller.topMargin + scroller.bottomMargin > scroller.height + 1
                ? Controls.ScrollBar.AlwaysOn : Controls.ScrollBar.AlwaysOff
    }
    Timer { running: true; interval: 200; onTriggered: scroller.entering = false }
}
