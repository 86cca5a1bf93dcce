import QtQuick
import QtQuick.Layouts
import QtQuick.Window
import Orvane.Shell

// Shown instead of the app when the home folder belongs to another user: why, and a way out.
Window {
    id: window
    objectName: "homeRefusedWindow"
    required property string message
    visible: true
    width: 560
    height: 320
    color: "#140a24"
    title: "Orvane"

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 32
        spacing: 16
        Symbol {
            Layout.alignment: Qt.AlignHCenter
            name: "exclamationmark.triangle.fill"
            size: 36
            color: "#FF9F0A"
        }
        Label {
            objectName: "homeRefusedTitle"
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            text: L10n.text(L10n.language, "home.notYoursTitle")
            size: Theme.title3; bold: true
            wrapMode: Text.WordWrap
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
        Label {
            objectName: "homeRefusedMessage"
            Layout.fillWidth: true
            Layout.fillHeight: true
            horizontalAlignment: Text.AlignHCenter
            text: window.message
            textFormat: Text.PlainText
            color: Theme.white(0.8)
            wrapMode: Text.Wrap
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        GlassButton {
            id: quit
            objectName: "homeRefusedQuit"
            Layout.alignment: Qt.AlignHCenter
            fixedWidth: 160; fixedHeight: 38
            tint: Theme.brand
            text: L10n.text(L10n.language, "home.quit")
            focus: true
            activeFocusOnTab: true
            Accessible.role: Accessible.Button
            Accessible.name: text
            Keys.onReturnPressed: Qt.quit()
            Keys.onSpacePressed: Qt.quit()
            Keys.onEscapePressed: Qt.quit()
            onClicked: Qt.quit()
        }
    }
}
