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
            ListView {
                id: scroller
                objectName: "resultsScroller"
                property bool entering: true
                anchors.fill: parent
                visible: results.flow.categories.count > 0
                clip: true
                topMargin: 4
                bottomMargin: 8
                spacing: 14
                boundsBehavior: Flickable.StopAtBounds
                reuseItems: true
                model: results.flow.categories
                delegate: CategoryCard { flow: results.flow; entrance: scroller.entering }
                // A scroll bar only when there is something to scroll.
                Controls.ScrollBar.vertical: Controls.ScrollBar {
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
                    accessibleLabel: "Destino"
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
                    enabled: results.flow.selectedTotal > 0
                    onClicked: results.flow.requestClean()
                }
            }
        }
    }
}
