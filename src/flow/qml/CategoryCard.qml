import QtQuick
import QtQuick.Layouts
import Orvane.Shell
import Orvane.Flow

// One category: check box, icon tile, name and count, size, turning chevron; files when expanded.
Item {
    id: card
    required property SectionFlowController flow
    required property int index
    required property string categoryId
    required property string name
    required property string icon
    required property var files
    required property string elementsText
    required property string totalSizeText
    required property string checkState
    required property bool expanded
    readonly property bool hovered: flow.hoveredID === categoryId
    readonly property color accent: flow.accent

    objectName: "categoryCard_" + index
    width: ListView.view ? ListView.view.width : parent.width
    implicitHeight: body.height
    transform: stagger.shift
    AppearStagger { id: stagger; target: card; index: card.index }

    Item {
        id: body
        width: parent.width
        height: content.implicitHeight + 36
        scale: card.hovered ? 1.012 : 1
        Behavior on scale { EaseOut {} }

        Shadow { target: face; color: Theme.black(0.38); blur: 14; offsetY: 8; cornerRadius: 16; knockout: true }
        Shadow {
            target: face; color: Theme.tint(card.accent, 0.3); blur: 20; cornerRadius: 16; knockout: true
            opacity: card.expanded ? 1 : 0
            Behavior on opacity { EaseOut {} }
        }
        Shadow {
            target: face; color: Theme.tint(card.accent, 0.35); blur: 22; cornerRadius: 16; knockout: true
            opacity: card.hovered ? 1 : 0
            Behavior on opacity { EaseOut {} }
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
        MouseArea {
            anchors.fill: parent
            hoverEnabled: true
            acceptedButtons: Qt.NoButton
            onContainsMouseChanged: containsMouse ? card.flow.hoverCategory(card.categoryId)
                                                  : card.flow.unhoverCategory(card.categoryId)
        }

        Column {
            id: content
            x: 18; y: 18
            width: parent.width - 36

            // Header: a tap anywhere but the box toggles the expansion.
            Item {
                width: parent.width
                height: header.implicitHeight
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
                        name: card.checkState
                        size: 18
                        color: card.checkState === "square" ? Theme.white(0.5) : card.accent
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
                            Spring { response: Theme.expandSpring.response; dampingFraction: Theme.expandSpring.damping }
                        }
                    }
                }
            }

            // Files
            Item {
                id: drawer
                width: parent.width
                clip: true
                height: card.expanded ? fileList.implicitHeight + 14 : 0
                Behavior on height {
                    Spring { id: drawerSpring; response: Theme.expandSpring.response; dampingFraction: Theme.expandSpring.damping }
                }
                Loader {
                    id: fileList
                    y: 14
                    width: parent.width
                    active: card.expanded || drawerSpring.running || drawer.height > 0
                    sourceComponent: Column {
                        width: fileList.width
                        Repeater {
                            model: card.files
                            delegate: FileRow { flow: card.flow; categoryId: card.categoryId; accent: card.accent; cardName: card.objectName }
                        }
                    }
                }
            }
        }
    }
}
