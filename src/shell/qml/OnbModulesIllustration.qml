pragma ComponentBehavior: Bound
import QtQuick
import Orvane.Shell

// Step 2's picture: six module tiles that pop in one after another.
Item {
    id: mock
    objectName: "onbModulesIllustration"
    property bool shown: false
    readonly property var mods: [
        { symbol: "sparkles", color: Qt.rgba(1.0, 0.62, 0.18, 1) },
        { symbol: "trash.fill", color: Qt.rgba(1.0, 0.35, 0.16, 1) },
        { symbol: "square.grid.2x2.fill", color: Qt.rgba(0.68, 0.5, 1.0, 1) },
        { symbol: "internaldrive.fill", color: Qt.rgba(0.25, 0.8, 0.86, 1) },
        { symbol: "shield.fill", color: Qt.rgba(0.34, 0.86, 0.56, 1) },
        { symbol: "doc.on.doc.fill", color: Qt.rgba(1.0, 0.45, 0.62, 1) }
    ]
    implicitWidth: grid.implicitWidth
    implicitHeight: grid.implicitHeight
    Component.onCompleted: shown = true

    Grid {
        id: grid
        columns: 3
        columnSpacing: 14
        rowSpacing: 14
        Repeater {
            model: mock.mods
            delegate: Item {
                id: tile
                required property int index
                required property var modelData
                readonly property color tone: modelData.color
                // 0 hidden, 1 in place; the spring overshoots a little on the way.
                property real pop: 0
                objectName: "onbTile_" + index
                width: 58; height: 58
                scale: 0.3 + 0.7 * pop
                opacity: Math.max(0, Math.min(1, pop))

                SequentialAnimation {
                    running: mock.shown
                    PauseAnimation { duration: tile.index * 80 }
                    Spring { target: tile; property: "pop"; to: 1; response: 0.5; dampingFraction: 0.6 }
                }
                Shadow {
                    target: face
                    color: Theme.tint(tile.tone, 0.35)
                    blur: 10
                    offsetY: 4
                    cornerRadius: 15
                    knockout: true
                }
                Rectangle {
                    id: face
                    anchors.fill: parent
                    radius: 15
                    color: Theme.tint(tile.tone, 0.22)
                    border.width: 1
                    border.color: Theme.tint(tile.tone, 0.5)
                }
                Symbol {
                    anchors.centerIn: parent
                    name: tile.modelData.symbol
                    size: 23
                    color: tile.tone
                }
            }
        }
    }
}
