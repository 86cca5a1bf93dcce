pragma ComponentBehavior: Bound
import QtQuick
import Orvane.Shell
import QtQuick.Layouts

// The left column: wordmark and home button, the six sections, settings and about, Donate.
Rectangle {
    id: sidebar
    property string selectedId
    signal select(string sectionId)
    signal home()

    implicitWidth: 240
    color: Theme.black(0.2)

    // Up and Down move between the section rows.
    function moveFrom(row, step) {
        const rows = []
        for (const list of [mainRows, bottomRows])
            for (let i = 0; i < list.count; ++i)
                rows.push(list.itemAt(i))
        const next = rows[rows.indexOf(row) + step]
        if (next)
            next.forceActiveFocus(Qt.TabFocusReason)
    }

    component Row_: Pressable {
        id: row
        required property string sectionId
        required property string title
        required property string icon
        required property color accent
        readonly property bool selected: sidebar.selectedId === sectionId
        objectName: "sidebarRow_" + sectionId
        Layout.fillWidth: true
        implicitHeight: content.implicitHeight + 22
        accessibleName: title
        Accessible.checkable: true
        Accessible.checked: selected
        ringRadius: 12
        onClicked: sidebar.select(row.sectionId)
        Keys.onUpPressed: sidebar.moveFrom(row, -1)
        Keys.onDownPressed: sidebar.moveFrom(row, 1)

        Rectangle {
            anchors.fill: parent
            radius: 10
            color: Theme.tint(row.accent, 0.22)
            border.width: 1
            border.color: Theme.tint(row.accent, 0.5)
            opacity: row.selected ? 1 : (row.hovered ? 0.25 : 0)
            Behavior on opacity { EaseInOut { duration: Theme.rowSelectMs } }
        }
        RowLayout {
            id: content
            anchors.fill: parent
            anchors.leftMargin: 12
            anchors.rightMargin: 12
            spacing: 12
            Symbol {
                Layout.preferredWidth: 22
                name: row.icon
                size: 15
                color: row.selected ? row.accent : Theme.white(0.7)
                Behavior on color { ColorAnimation { duration: Theme.rowSelectMs } }
            }
            Label {
                objectName: row.objectName + "_title"
                Layout.fillWidth: true
                text: row.title
                size: Theme.body
                color: Theme.white(row.selected ? 1 : 0.72)
                elide: Text.ElideRight
            }
        }
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.leftMargin: 14
        anchors.rightMargin: 14
        anchors.bottomMargin: 14
        spacing: 6

        RowLayout {
            Layout.fillWidth: true
            Layout.topMargin: 30
            Layout.bottomMargin: 22 - 6
            Layout.leftMargin: 4
            Layout.rightMargin: 4
            spacing: 8
            Wordmark { Layout.preferredWidth: width; Layout.preferredHeight: height }
            Item { Layout.fillWidth: true; Layout.minimumWidth: 4 }
            CircleButton {
                objectName: "homeButton"
                symbol: "house.fill"
                symbolSize: 15
                symbolOpacity: 0.9
                fill: 0.12
                edge: 0.2
                tooltip: L10n.text(L10n.language, "tooltip.home")
                onClicked: sidebar.home()
            }
        }

        Repeater {
            id: mainRows
            model: SectionListModel { group: SectionListModel.Main }
            delegate: Row_ {}
        }

        Item { Layout.fillHeight: true }

        Repeater {
            id: bottomRows
            model: SectionListModel { group: SectionListModel.Bottom }
            delegate: Row_ {}
        }

        Pressable {
            id: donate
            objectName: "sidebarDonate"
            Layout.fillWidth: true
            accessibleName: L10n.text(L10n.language, "action.donate")
            ringRadius: 12
            onClicked: AboutLinks.open(AboutLinks.donation)
            implicitHeight: donateRow.implicitHeight + 22
            Rectangle {
                anchors.fill: parent
                radius: 10
                color: Theme.tint(Theme.brand, donate.hovered ? 0.35 : 0.25)
                border.width: 1
                border.color: Theme.tint(Theme.brand, 0.55)
            }
            RowLayout {
                id: donateRow
                anchors.fill: parent
                anchors.leftMargin: 12
                anchors.rightMargin: 12
                spacing: 10
                Symbol { name: "heart.fill"; size: 14 }
                Label { text: L10n.text(L10n.language, "action.donate"); bold: true; Layout.fillWidth: true }
            }
        }
    }
}
