pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Orvane.Shell
import Orvane.Flow

// The plan's introduction: disk ring with the section tile, caption, title, highlights, Analyze.
Item {
    id: intro
    objectName: "introView"
    required property SectionFlowController flow
    // Once the screen is in place the ring sweeps from empty to the share in use, and the focus
    // is offered to Analyze.
    property bool swept: false
    Component.onCompleted: flow.refreshDisk()
    Timer {
        running: true; interval: 0
        onTriggered: { intro.swept = true; Theme.offerFocus(analyzeButton, analyzeButton.Window.window) }
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.leftMargin: 40
        anchors.rightMargin: 40
        anchors.bottomMargin: 40
        spacing: 16

        Item { Layout.fillHeight: true }

        Item {
            Layout.alignment: Qt.AlignHCenter
            implicitWidth: 200; implicitHeight: 200
            RingArc {
                objectName: "introRing"
                anchors.fill: parent
                anchors.margins: -inset
                inset: 14
                lineWidth: 14
                roundCap: true
                trackColor: Theme.white(0.08)
                color: intro.flow.accent
                glowColor: Theme.tint(intro.flow.accent, 0.3)
                glowRadius: 8
                to: intro.swept ? intro.flow.usedFraction : 0
                Behavior on to { EaseOut { duration: 1100 } }
            }
            Shadow {
                target: tile
                color: Theme.tint(intro.flow.accent, 0.4)
                blur: 16
                offsetY: 8
                cornerRadius: 24
            }
            DiagonalGradient {
                id: tile
                anchors.centerIn: parent
                width: 96; height: 96; radius: 24
                colors: [intro.flow.accent, Theme.tint(intro.flow.accent, 0.55)]
            }
            Rectangle {
                anchors.fill: tile
                radius: 24
                gradient: Gradient {
                    GradientStop { position: 0; color: Theme.white(0.3) }
                    GradientStop { position: 0.5; color: Theme.white(0) }
                }
                border.width: 1
                border.color: Theme.white(0.18)
            }
            Symbol { anchors.centerIn: tile; name: intro.flow.sectionIcon; size: 42 }
        }

        Column {
            Layout.alignment: Qt.AlignHCenter
            spacing: 3
            Label {
                objectName: "diskHeadline"
                anchors.horizontalCenter: parent.horizontalCenter
                text: intro.flow.diskHeadline
                size: Theme.headline; semibold: true
            }
            Label {
                objectName: "diskDetail"
                anchors.horizontalCenter: parent.horizontalCenter
                visible: intro.flow.hasDisk
                text: intro.flow.diskDetail
                size: Theme.callout
                color: Theme.white(0.6)
            }
        }

        Column {
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 6
            Layout.fillWidth: true
            spacing: 8
            Label {
                objectName: "planTitle"
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                text: intro.flow.planTitle
                size: 30; bold: true
            }
            Label {
                objectName: "planSubtitle"
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                text: intro.flow.planSubtitle
                size: Theme.title3
                color: Theme.white(0.65)
            }
        }

        // The highlights, wrapped into lines that are each centred under the title.
        Column {
            id: chips
            objectName: "introChips"
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 2
            Layout.maximumWidth: parent.width
            spacing: 10
            readonly property real available: intro.width - 80
            // Greedy lines from each chip's measured width (text, seal, padding).
            readonly property var lines: {
                const result = []
                let line = [], used = 0
                for (const text of intro.flow.planHighlights) {
                    const w = Math.ceil(chipMetrics.advanceWidth(text)) + Math.ceil(seal.implicitWidth) + 7 + 32
                    if (line.length > 0 && used + 12 + w > available) {
                        result.push(line)
                        line = []
                        used = 0
                    }
                    used += (line.length > 0 ? 12 : 0) + w
                    line.push(text)
                }
                if (line.length > 0)
                    result.push(line)
                return result
            }
            FontMetrics { id: chipMetrics; font.family: Theme.fontFamily; font.pixelSize: Theme.body }
            Symbol { id: seal; name: "checkmark.seal.fill"; size: 13; visible: false }
            Repeater {
                model: chips.lines
                delegate: Row {
                    id: chipLine
                    required property var modelData
                    required property int index
                    objectName: "introChipLine_" + index
                    x: (chips.width - width) / 2
                    spacing: 12
                    Repeater {
                        model: chipLine.modelData
                        delegate: Rectangle {
                            id: chip
                            required property string modelData
                            implicitWidth: chipRow.implicitWidth + 32
                            implicitHeight: chipRow.implicitHeight + 20
                            radius: height / 2
                            color: Theme.white(0.07)
                            border.width: 1
                            border.color: Theme.white(0.12)
                            Row {
                                id: chipRow
                                anchors.centerIn: parent
                                spacing: 7
                                Symbol { name: "checkmark.seal.fill"; size: 13; color: intro.flow.accent; anchors.verticalCenter: parent.verticalCenter }
                                Label { text: chip.modelData; color: Theme.white(0.9); anchors.verticalCenter: parent.verticalCenter }
                            }
                        }
                    }
                }
            }
        }

        GlassButton {
            id: analyzeButton
            objectName: "analyzeButton"
            Layout.alignment: Qt.AlignHCenter
            fixedWidth: 200; fixedHeight: 58
            tint: intro.flow.accent
            text: L10n.text(L10n.language, "action.analyze")
            textSize: Theme.title3
            Layout.topMargin: 12
            onClicked: intro.flow.startScan()
        }

        Item { Layout.fillHeight: true }
    }
}
