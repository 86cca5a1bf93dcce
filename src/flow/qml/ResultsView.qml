pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Basic as Controls
import Orvane.Shell
import Orvane.Flow

// The scan's categories for selection, the removal style and the way to remove.
Item {
    id: results
    objectName: "resultsView"
    required property SectionFlowController flow

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 30; Layout.rightMargin: 30
            Layout.topMargin: 28; Layout.bottomMargin: 16
            Label {
                objectName: "resultsTitle"
                Layout.fillWidth: true
                text: results.flow.planTitle
                size: Theme.title2; bold: true
                elide: Text.ElideRight
            }
            GlassButton {
                objectName: "analyzeAgain"
                prominent: false
                text: L10n.text(L10n.language, "results.analyzeAgain")
                onClicked: results.flow.startScan()
            }
        }

        // Places the plan left out and why, one line each.
        Repeater {
            model: results.flow.planNotes
            delegate: Label {
                required property int index
                required property string modelData
                objectName: "planNote_" + index
                Layout.fillWidth: true
                Layout.leftMargin: 30; Layout.rightMargin: 30; Layout.bottomMargin: 8
                text: modelData
                textFormat: Text.PlainText
                size: Theme.callout
                color: Theme.white(0.75)
                wrapMode: Text.Wrap
            }
        }

        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            Column {
                objectName: "emptyState"
                anchors.centerIn: parent
                spacing: 12
                visible: results.flow.categories.count === 0
                Symbol { anchors.horizontalCenter: parent.horizontalCenter; name: "sparkles"; size: 60; color: results.flow.accent }
                Label {
                    objectName: "emptyStateText"
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: L10n.text(L10n.language, "results.clean")
                }
            }

            // Cards are made for the visible part only; the first screenful enters staggered.
            // By keyboard the list is one stop: a cursor moves over headers and rows (Up, Down,
            // Page Up/Down, Home, End), Left and Right collapse and expand, Space ticks, Return
            // opens a header or ticks a row, Ctrl+Return shows a row's item in its folder.
            ListView {
                id: scroller
                objectName: "resultsScroller"
                property bool entering: true
                property int cursorCard: 0
                property int cursorFile: -1 // -1: the card's header
                readonly property var model_: results.flow.categories
                // At most a comfortable width, centred; the scroll bar keeps clear of the
                // window's resize edge.
                width: Math.min(parent.width - 12, 1180)
                height: parent.height
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.horizontalCenterOffset: width < parent.width - 12 ? 0 : -6
                activeFocusOnTab: true
                // The card under the cursor is the list's current item: it holds the focus and
                // tells screen readers what the cursor is on.
                currentIndex: cursorCard
                keyNavigationEnabled: false
                highlightFollowsCurrentItem: false
                Timer { running: true; interval: 0; onTriggered: Theme.offerFocus(scroller, scroller.Window.window) }
                Accessible.role: Accessible.List
                Accessible.name: L10n.text(L10n.language, "a11y.results")
                Accessible.description: cursorText
                Accessible.focusable: true
                Accessible.focused: activeFocus
                property string cursorText: {
                    void results.flow.selectedText // the texts change with the selection
                    void L10n.language
                    return results.flow.categories.count > 0 ? model_.describeAt(cursorCard, cursorFile) : ""
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
                    if (cursorFile < 0 || !itemAtIndex(cursorCard))
                        positionViewAtIndex(cursorCard, cursorFile < 0 ? ListView.Contain : ListView.Beginning)
                    const card = itemAtIndex(cursorCard) as CategoryCard
                    if (!card || cursorFile < 0)
                        return
                    const top = card.rowsTop + cursorFile * card.rowHeight
                    const above = card.pinnedHeaderHeight + 8
                    const lowest = originY - topMargin
                    const highest = Math.max(lowest, originY + contentHeight + bottomMargin - height)
                    if (top - above < contentY)
                        contentY = Math.max(lowest, top - above)
                    else if (top + card.rowHeight + 8 > contentY + height)
                        contentY = Math.min(highest, top + card.rowHeight + 8 - height)
                }
                function pageRows() { return Math.max(1, Math.floor(height / 32) - 2) }
                function toggleAtCursor() {
                    const id = model_.categoryIdAt(cursorCard)
                    if (cursorFile < 0)
                        results.flow.toggleAll(id)
                    else
                        results.flow.toggleFile(id, model_.fileIdAt(cursorCard, cursorFile))
                }
                function setExpanded(open) {
                    if (model_.isExpandedAt(cursorCard) !== open)
                        results.flow.toggleExpanded(model_.categoryIdAt(cursorCard))
                }
                onCountChanged: if (cursorCard >= count) moveTo(Math.max(0, count - 1), -1)
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
                            results.flow.revealFile(model_.categoryIdAt(cursorCard), model_.fileIdAt(cursorCard, cursorFile))
                        else if (cursorFile < 0)
                            setExpanded(!model_.isExpandedAt(cursorCard))
                        else
                            toggleAtCursor()
                        break
                    default: return
                    }
                    event.accepted = true
                }
                visible: results.flow.categories.count > 0
                clip: true
                topMargin: 4
                bottomMargin: 8
                spacing: 14
                boundsBehavior: Flickable.StopAtBounds
                reuseItems: true
                model: results.flow.categories
                delegate: CategoryCard { flow: results.flow; entrance: scroller.entering }
                // A scroll bar only when there is something to scroll; its thumb stays big
                // enough to take hold of on a list of thousands of rows.
                Controls.ScrollBar.vertical: Controls.ScrollBar {
                    objectName: "resultsScrollBar"
                    minimumSize: 0.06
                    policy: scroller.contentHeight + scroller.topMargin + scroller.bottomMargin > scroller.height + 1
                            ? Controls.ScrollBar.AlwaysOn : Controls.ScrollBar.AlwaysOff
                }
                Timer { running: true; interval: 200; onTriggered: scroller.entering = false }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            implicitHeight: footer.implicitHeight + 40
            color: Theme.black(0.25)
            RowLayout {
                id: footer
                anchors.fill: parent
                anchors.leftMargin: 30; anchors.rightMargin: 30
                anchors.topMargin: 20; anchors.bottomMargin: 20
                spacing: 16
                Label {
                    objectName: "selectedText"
                    text: results.flow.selectedText
                    bold: true
                }
                Item { Layout.fillWidth: true }
                SegmentedControl {
                    objectName: "removalStyle"
                    accessibleLabel: L10n.text(L10n.language, "a11y.removalStyle")
                    implicitWidth: 220
                    values: results.flow.removalStyleNames
                    labels: results.flow.removalStyleLabels
                    current: results.flow.removalStyle
                    onChosen: (value) => results.flow.removalStyle = value
                }
                GlassButton {
                    objectName: "primaryButton"
                    fixedWidth: 200; fixedHeight: 50
                    tint: results.flow.accent
                    textSize: Theme.headline
                    text: results.flow.primaryActionText
                    enabled: results.flow.hasSelection
                    onClicked: results.flow.requestClean()
                }
            }
        }
    }
}
