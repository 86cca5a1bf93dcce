pragma ComponentBehavior: Bound
import QtQuick
import Orvane.Shell

// The two languages side by side; a highlight in the settings colour slides to the chosen one.
// One Tab stop: Left and Right choose the neighbouring language.
Item {
    id: chooser
    readonly property color tint: Theme.accent("settings")
    readonly property var options: Languages.all
    readonly property int selectedIndex: {
        const code = L10n.language
        for (let i = 0; i < options.length; ++i)
            if (options[i].code === code)
                return i
        return 0
    }
    readonly property real optionWidth: (width - 10 - 4 * (options.length - 1)) / options.length
    signal choose(string code)
    activeFocusOnTab: true
    Accessible.role: Accessible.PageTabList
    Accessible.name: L10n.text(L10n.language, "a11y.language")
    Accessible.description: options[selectedIndex] ? options[selectedIndex].name : ""
    Accessible.focusable: true
    Accessible.focused: activeFocus
    function chooseAt(i) {
        if (i >= 0 && i < options.length)
            choose(options[i].code)
    }
    Keys.onLeftPressed: chooseAt(selectedIndex - 1)
    Keys.onRightPressed: chooseAt(selectedIndex + 1)
    FocusRing { radius: 18 }
    implicitWidth: 300
    implicitHeight: 5 + 11 + 18 + 11 + 5

    Rectangle {
        anchors.fill: parent
        radius: 15
        color: Theme.white(0.06)
        border.width: 1
        border.color: Theme.white(0.1)
    }

    // Where the highlight stands, in options; moves with the language's spring.
    property real highlightAt: selectedIndex
    Behavior on highlightAt { Spring { response: 0.35; dampingFraction: 0.72 } }
    Shadow {
        target: highlight
        color: Theme.tint(chooser.tint, 0.55)
        blur: 9
        offsetY: 3
        cornerRadius: 11
    }
    Rectangle {
        id: highlight
        objectName: "languageHighlight"
        x: 5 + chooser.highlightAt * (chooser.optionWidth + 4)
        y: 5
        width: chooser.optionWidth
        height: chooser.height - 10
        radius: 11
        gradient: Gradient {
            GradientStop { position: 0; color: Theme.gradientTop(chooser.tint) }
            GradientStop { position: 1; color: Theme.gradientBottom(chooser.tint) }
        }
    }

    Row {
        x: 5; y: 5
        spacing: 4
        Repeater {
            model: chooser.options
            delegate: Item {
                id: option
                required property int index
                required property var modelData
                readonly property bool selected: index === chooser.selectedIndex
                objectName: "languageOption_" + modelData.code
                Accessible.role: Accessible.PageTab
                Accessible.name: modelData.name
                Accessible.checkable: true
                Accessible.checked: selected
                Accessible.onPressAction: chooser.choose(option.modelData.code)
                width: chooser.optionWidth
                height: chooser.height - 10
                Row {
                    anchors.centerIn: parent
                    spacing: 8
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        Accessible.ignored: true
                        text: option.modelData.flag
                        textFormat: Text.PlainText
                        font.pixelSize: 15
                    }
                    Label {
                        objectName: option.objectName + "_name"
                        anchors.verticalCenter: parent.verticalCenter
                        text: option.modelData.name
                        size: 14; semibold: true
                        // Dark where white would not read on the highlight.
                        color: option.selected ? Colors.textOn(chooser.tint) : Theme.white(0.55)
                        Behavior on color { ColorAnimation { duration: 200 } }
                    }
                }
                MouseArea {
                    anchors.fill: parent
                    cursorShape: Qt.PointingHandCursor
                    onClicked: chooser.choose(option.modelData.code)
                }
            }
        }
    }
}
