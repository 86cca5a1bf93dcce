pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Orvane.Shell

// Step 3's picture: three choices that tick themselves at 0.5, 1.05 and 1.6 seconds.
Item {
    id: mock
    objectName: "onbControlIllustration"
    property var checked: [false, false, false]
    readonly property var labels: [
        L10n.text(L10n.language, "onb.mock.caches"),
        L10n.text(L10n.language, "onb.mock.duplicates"),
        L10n.text(L10n.language, "onb.mock.bigFiles")
    ]
    implicitWidth: 300
    implicitHeight: column.implicitHeight

    function check(row) {
        const next = mock.checked.slice()
        next[row] = true
        mock.checked = next
    }
    // Row i ticks 0.5 + 0.55 × i seconds after the slide is built.
    Timer { interval: 500; running: true; onTriggered: mock.check(0) }
    Timer { interval: 1050; running: true; onTriggered: mock.check(1) }
    Timer { interval: 1600; running: true; onTriggered: mock.check(2) }

    Column {
        id: column
        width: 300
        spacing: 12
        Repeater {
            model: 3
            delegate: Item {
                id: row
                required property int index
                readonly property bool on: mock.checked[index] === true
                // Follows `on` with the spring; drives every colour and the symbol swap.
                property real tick: on ? 1 : 0
                Behavior on tick { Spring { response: 0.4; dampingFraction: 0.7 } }
                readonly property real t: Math.max(0, Math.min(1, tick))
                objectName: "onbCheckRow_" + index
                width: 300
                height: content.implicitHeight + 24

                Rectangle {
                    anchors.fill: parent
                    radius: 13
                    color: Theme.white(0.05)
                    border.width: 1
                    border.color: Qt.rgba(1 + (Theme.brand.r - 1) * row.t, 1 + (Theme.brand.g - 1) * row.t,
                                          1 + (Theme.brand.b - 1) * row.t, 0.1 + 0.4 * row.t)
                }
                RowLayout {
                    id: content
                    anchors.fill: parent
                    anchors.leftMargin: 16; anchors.rightMargin: 16
                    spacing: 12
                    // The two symbols trade places: the outgoing one shrinks away, the new one grows in.
                    Item {
                        implicitWidth: 26; implicitHeight: 26
                        Symbol {
                            anchors.centerIn: parent
                            name: "circle"; size: 22
                            color: Theme.white(0.3)
                            opacity: 1 - row.t
                            scale: 1 - 0.4 * row.t
                        }
                        Symbol {
                            anchors.centerIn: parent
                            name: "checkmark.circle.fill"; size: 22
                            color: Theme.brand
                            opacity: row.t
                            scale: 0.6 + 0.4 * row.tick
                        }
                    }
                    Label {
                        objectName: "onbCheckLabel_" + row.index
                        text: mock.labels[row.index]
                        size: Theme.headline; semibold: true
                        color: Theme.white(0.5 + 0.5 * row.t)
                    }
                    Item { Layout.fillWidth: true }
                    Label {
                        text: "✓"
                        size: Theme.subheadline; bold: true
                        color: Theme.brand
                        opacity: row.t
                    }
                }
            }
        }
    }
}
