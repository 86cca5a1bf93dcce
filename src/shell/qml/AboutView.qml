import QtQuick
import QtQuick.Layouts
import Orvane.Shell

// About: wordmark, version, credits and tagline, Donate and Contact, terms and privacy.
Item {
    id: about
    objectName: "aboutView"

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 40
        spacing: 18

        Item { Layout.fillHeight: true }
        Wordmark {
            large: true
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: width
            Layout.preferredHeight: height
        }
        Label {
            objectName: "aboutVersion"
            Layout.alignment: Qt.AlignHCenter
            text: L10n.text(L10n.language, "about.version", [AboutLinks.version])
            size: Theme.callout
            color: Theme.white(0.6)
        }
        Label {
            objectName: "aboutLicense"
            Layout.alignment: Qt.AlignHCenter
            text: L10n.text(L10n.language, "about.license")
            size: Theme.subheadline
            color: Theme.white(0.5)
        }
        Label {
            objectName: "aboutMadeBy"
            Layout.alignment: Qt.AlignHCenter
            text: L10n.text(L10n.language, "about.madeBy")
            size: Theme.title3
            color: Theme.white(0.85)
        }
        Label {
            objectName: "aboutTagline"
            Layout.alignment: Qt.AlignHCenter
            Layout.maximumWidth: about.width - 80
            Layout.topMargin: 2
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            lineHeight: 1.15
            text: L10n.text(L10n.language, "about.tagline")
            color: Theme.white(0.55)
        }
        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 10
            spacing: 14
            GlassButton {
                objectName: "aboutDonate"
                fixedWidth: 150; fixedHeight: 46
                tint: Theme.brand
                symbol: "heart.fill"
                text: L10n.text(L10n.language, "action.donate")
                onClicked: AboutLinks.open(AboutLinks.donation)
            }
            GlassButton {
                objectName: "aboutContact"
                fixedWidth: 150; fixedHeight: 46
                prominent: false
                symbol: "envelope.fill"
                text: L10n.text(L10n.language, "action.contact")
                onClicked: AboutLinks.open(AboutLinks.contact)
            }
        }
        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 8
            spacing: 8
            LinkText {
                objectName: "aboutTerms"
                text: L10n.text(L10n.language, "about.terms")
                onClicked: AboutLinks.open(AboutLinks.terms)
            }
            Label { text: "·"; size: Theme.subheadline; color: Theme.white(0.5); opacity: 0.3 }
            LinkText {
                objectName: "aboutPrivacy"
                text: L10n.text(L10n.language, "about.privacy")
                onClicked: AboutLinks.open(AboutLinks.privacy)
            }
        }
        Item { Layout.fillHeight: true }
    }

    // A plain text button: brighter while the pointer or the keyboard focus is on it.
    component LinkText: Label {
        id: link
        signal clicked()
        size: Theme.subheadline
        activeFocusOnTab: true
        Accessible.role: Accessible.Link
        Accessible.name: text
        Accessible.focusable: true
        Accessible.focused: activeFocus
        Accessible.onPressAction: link.clicked()
        Keys.onSpacePressed: link.clicked()
        Keys.onReturnPressed: link.clicked()
        Keys.onEnterPressed: link.clicked()
        FocusRing { inset: -5; radius: 6 }
        color: Theme.white(area.containsMouse || (activeFocus && KeyboardMode.active) ? 0.8 : 0.5)
        Behavior on color { ColorAnimation { duration: Theme.hoverMs } }
        MouseArea {
            id: area
            anchors.fill: parent
            anchors.margins: -4
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: link.clicked()
        }
    }
}
