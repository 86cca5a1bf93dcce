import QtQuick
import QtQuick.Layouts
import Orvane.Shell
import Orvane.Flow

// A category's header line: check box, icon tile, name and count, size, turning chevron. Shown
// at the top of its card, and pinned above the list while the list scrolls through its files.
RowLayout {
    id: header
    required property SectionFlowController flow
    required property string prefix // object names of the parts start with it
    required property string categoryId
    required property string name
    required property string icon
    required property string elementsText
    required property string totalSizeText
    required property int checkState // Qt.Checked, Qt.PartiallyChecked or Qt.Unchecked
    required property bool expanded
    property bool animate: true
    readonly property color accent: flow.accent
    spacing: 14
    Symbol {
        objectName: header.prefix + "_check"
        Accessible.ignored: false
        Accessible.role: Accessible.CheckBox
        Accessible.name: L10n.text(L10n.language, "a11y.selectAll", [header.name])
        Accessible.checkable: true
        Accessible.checked: header.checkState !== Qt.Unchecked
        Accessible.description: L10n.text(L10n.language, header.checkState === Qt.Unchecked ? "a11y.unchecked"
            : header.checkState === Qt.PartiallyChecked ? "a11y.partlyChecked" : "a11y.checked")
        Accessible.onToggleAction: header.flow.toggleAll(header.categoryId)
        Accessible.onPressAction: header.flow.toggleAll(header.categoryId)
        name: header.checkState === Qt.Checked ? "checkmark.square.fill"
            : header.checkState === Qt.PartiallyChecked ? "minus.square.fill" : "square"
        size: 18
        color: header.checkState === Qt.Unchecked ? Theme.white(0.5) : header.accent
        MouseArea {
            anchors.fill: parent
            anchors.margins: -4
            cursorShape: Qt.PointingHandCursor
            onClicked: header.flow.toggleAll(header.categoryId)
        }
    }
    Rectangle {
        implicitWidth: 42; implicitHeight: 42; radius: 10
        color: Theme.tint(header.accent, 0.2)
        Symbol { anchors.centerIn: parent; name: header.icon; size: 18; color: header.accent }
    }
    Column {
        Layout.fillWidth: true
        spacing: 3
        Label {
            objectName: header.prefix + "_name"
            width: parent.width
            text: header.name
            textFormat: Text.PlainText // a duplicate group is named after a file
            bold: true
            elide: Text.ElideMiddle
        }
        Label {
            objectName: header.prefix + "_elements"
            text: header.elementsText
            size: Theme.caption
            color: Theme.white(0.55)
        }
    }
    Label {
        objectName: header.prefix + "_size"
        text: header.totalSizeText
        size: Theme.headline
        bold: true
    }
    Symbol {
        name: "chevron.right"
        size: 16
        color: Theme.white(0.6)
        rotation: header.expanded ? 90 : 0
        Behavior on rotation {
            enabled: header.animate
            Spring { response: Theme.expandSpring.response; dampingFraction: Theme.expandSpring.damping }
        }
    }
}
