pragma ComponentBehavior: Bound
import QtQuick
import Orvane.Shell
import QtQuick.Layouts
import QtQuick.Controls.Basic as Controls

// The home screen: disk at a glance, a shortcut into Smart Care and one card per section.
Item {
    id: dashboard
    objectName: "dashboard"
    signal select(string sectionId)
    // The card under the pointer: only the card holding it clears it, whatever order enter and
    // leave arrive in.
    property string hoveredId: ""

    DashboardController { id: dash }
    SectionListModel { id: sections; group: SectionListModel.Main }
    Component.onCompleted: dash.refresh()

    Flickable {
        id: flick
        anchors.fill: parent
        contentWidth: width
        contentHeight: column.implicitHeight + 64
        boundsBehavior: Flickable.StopAtBounds
        Controls.ScrollBar.vertical: Controls.ScrollBar { policy: Controls.ScrollBar.AsNeeded }

        ColumnLayout {
            id: column
            width: Math.min(760, flick.width - 64)
            x: (flick.width - width) / 2
            y: 32
            spacing: 22

            // Header
            RowLayout {
                Layout.fillWidth: true
                spacing: 10
                Wordmark { Layout.preferredWidth: width; Layout.preferredHeight: height }
                Item { Layout.fillWidth: true }
                CircleButton {
                    objectName: "dashboardSettings"
                    implicitWidth: 40; implicitHeight: 40
                    symbol: "gearshape"; symbolSize: 17; fill: 0.14; edge: 0.22
                    tooltip: L10n.text(L10n.language, "nav.settings")
                    onClicked: dashboard.select("settings")
                }
                CircleButton {
                    objectName: "dashboardAbout"
                    implicitWidth: 40; implicitHeight: 40
                    symbol: "info.circle"; symbolSize: 17; fill: 0.14; edge: 0.22
                    tooltip: L10n.text(L10n.language, "nav.about")
                    onClicked: dashboard.select("about")
                }
                GlassButton {
                    objectName: "dashboardDonate"
                    tint: Theme.brand
                    symbol: "heart.fill"
                    text: L10n.text(L10n.language, "action.donate")
                    textSize: Theme.callout
                    horizontalPadding: 16
                    verticalPadding: 10
                    onClicked: AboutLinks.open(AboutLinks.donation)
                }
            }

            // Disk card
            Item {
                Layout.fillWidth: true
                implicitHeight: diskRow.implicitHeight + 52
                CardBackground { anchors.fill: parent }
                RowLayout {
                    id: diskRow
                    anchors.fill: parent
                    anchors.margins: 26
                    spacing: 28
                    Item {
                        objectName: "dashboardDisk"
                        implicitWidth: 150; implicitHeight: 150
                        Accessible.role: Accessible.ProgressBar
                        Accessible.name: L10n.text(L10n.language, "a11y.disk", [dash.percentText, dash.freeText])
                        RingArc {
                            objectName: "dashboardRing"
                            anchors.fill: parent
                            anchors.margins: -inset
                            inset: 12
                            lineWidth: 14
                            trackColor: Theme.white(0.08)
                            color: Theme.brand
                            glowColor: Theme.tint(Theme.brand, 0.3)
                            glowRadius: 6
                            to: dash.usedFraction
                            Behavior on to { EaseOut { duration: Theme.ringMs } }
                        }
                        Column {
                            anchors.centerIn: parent
                            Label {
                                objectName: "dashboardPercent"
                                anchors.horizontalCenter: parent.horizontalCenter
                                text: dash.percentText
                                size: 30; bold: true
                            }
                            Label {
                                anchors.horizontalCenter: parent.horizontalCenter
                                text: L10n.text(L10n.language, "label.inUse")
                                size: Theme.caption2
                                color: Theme.white(0.55)
                            }
                        }
                    }
                    ColumnLayout {
                        spacing: 8
                        Label { objectName: "dashboardFree"; text: dash.freeText; size: 32; bold: true }
                        Label { objectName: "dashboardSummary"; text: dash.summaryText; size: Theme.callout; color: Theme.white(0.6) }
                        GlassButton {
                            objectName: "analyzeNow"
                            Layout.topMargin: 4
                            tint: Theme.brand
                            symbol: "bolt.fill"
                            text: L10n.text(L10n.language, "dashboard.analyzeNow")
                            onClicked: dashboard.select(sections.idAt(0))
                        }
                    }
                    Item { Layout.fillWidth: true }
                }
            }

            // Section grid: arrows move between the cards.
            GridLayout {
                id: grid
                Layout.fillWidth: true
                columns: 3
                columnSpacing: 14
                rowSpacing: 14
                Repeater {
                    id: cards
                    model: sections
                    delegate: Pressable {
                        id: card
                        required property int index
                        required property string sectionId
                        required property string title
                        required property string icon
                        required property color accent
                        readonly property bool highlighted: dashboard.hoveredId === sectionId || (activeFocus && KeyboardMode.active)
                        objectName: "sectionCard_" + sectionId
                        Layout.fillWidth: true
                        Layout.minimumWidth: 10
                        Layout.preferredWidth: 10
                        implicitHeight: 112
                        accessibleName: title
                        ringRadius: Theme.cardRadius + 3
                        onClicked: dashboard.select(card.sectionId)
                        onHoveredChanged: {
                            if (hovered)
                                dashboard.hoveredId = card.sectionId
                            else if (dashboard.hoveredId === card.sectionId)
                                dashboard.hoveredId = ""
                        }
                        function move(step) {
                            const next = cards.itemAt(index + step)
                            if (next)
                                next.forceActiveFocus(Qt.TabFocusReason)
                        }
                        Keys.onLeftPressed: move(-1)
                        Keys.onRightPressed: move(1)
                        Keys.onUpPressed: move(-grid.columns)
                        Keys.onDownPressed: move(grid.columns)
                        scale: highlighted ? 1.03 : 1
                        z: highlighted ? 1 : 0
                        Behavior on scale { EaseOut {} }

                        Shadow {
                            target: back
                            color: Theme.tint(card.accent, 0.3)
                            blur: 16
                            cornerRadius: Theme.cardRadius
                            knockout: true
                            opacity: card.highlighted ? 1 : 0
                            Behavior on opacity { EaseOut {} }
                        }
                        CardBackground {
                            id: back
                            anchors.fill: parent
                            borderColor: Theme.tint(card.accent, card.highlighted ? 0.6 : 0.12)
                        }
                        Column {
                            anchors.centerIn: parent
                            spacing: 10
                            Rectangle {
                                anchors.horizontalCenter: parent.horizontalCenter
                                width: 52; height: 52; radius: 13
                                color: Theme.tint(card.accent, 0.2)
                                Symbol { anchors.centerIn: parent; name: card.icon; size: 23; color: card.accent }
                            }
                            Label {
                                objectName: card.objectName + "_title"
                                anchors.horizontalCenter: parent.horizontalCenter
                                text: card.title
                                size: Theme.subheadline + 1
                                bold: true
                            }
                        }
                    }
                }
            }
        }
    }
}
