pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
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

            ResultsList {
                id: scroller
                objectName: "resultsScroller"
                flow: results.flow
                visible: results.flow.categories.count > 0
                // At most a comfortable width, centred; the scroll bar keeps clear of the
                // window's resize edge.
                width: Math.min(parent.width - 12, 1180)
                height: parent.height
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.horizontalCenterOffset: width < parent.width - 12 ? 0 : -6
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
