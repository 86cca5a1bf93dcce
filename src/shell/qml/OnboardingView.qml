pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Orvane.Shell

// The first-run tour over the whole window: the language on step 0, then three slides, each with
// its own short animation. Only Get started on the last step leaves it.
Item {
    id: onboarding
    objectName: "onboarding"
    property int lastStep: 3
    readonly property OnboardingSteps steps: tour
    // The step on screen (the one sliding in while a transition runs).
    property Page currentPage
    signal finish()

    OnboardingSteps {
        id: tour
        lastStep: onboarding.lastStep
        onFinished: onboarding.finish()
        onStepChanged: stage.show(step, true)
    }

    DiagonalGradient { anchors.fill: parent; colors: Colors.appBackground }
    MouseArea { anchors.fill: parent; hoverEnabled: true } // nothing below reacts meanwhile

    // Two soft glows of the brand colour.
    SoftShadow {
        circle: true
        color: Theme.tint(Theme.brand, 0.2)
        blur: 120
        width: 380 + 2 * pad; height: width
        x: onboarding.width / 2 - 160 - width / 2
        y: onboarding.height / 2 - 220 - height / 2
    }
    SoftShadow {
        circle: true
        color: Theme.tint(Theme.brand, 0.14)
        blur: 120
        width: 340 + 2 * pad; height: width
        x: onboarding.width / 2 + 180 - width / 2
        y: onboarding.height / 2 + 240 - height / 2
    }

    Item {
        id: column
        width: Math.min(560, onboarding.width - 88)
        height: onboarding.height - 88
        anchors.centerIn: parent

        // Each step is built afresh when it is shown, so its animation plays again; the new one
        // slides in from the trailing edge while the old one leaves towards the leading edge.
        Item {
            id: stage
            objectName: "onboardingStage"
            width: parent.width
            anchors.top: parent.top
            anchors.bottom: bar.top
            anchors.bottomMargin: 22

            function show(step, animated) {
                if (onboarding.currentPage)
                    onboarding.currentPage.leave()
                onboarding.currentPage = pageComponent.createObject(stage, { step: step, phase: animated ? 1 : 0 })
            }
            Component.onCompleted: show(tour.step, false)
        }

        RowLayout {
            id: bar
            width: parent.width
            height: 48
            anchors.bottom: parent.bottom
            spacing: 12

            Row {
                objectName: "pageDots"
                spacing: 8
                Layout.alignment: Qt.AlignVCenter
                Repeater {
                    model: tour.lastStep + 1
                    Rectangle {
                        required property int index
                        objectName: "pageDot_" + index
                        readonly property bool current: index === tour.step
                        height: 8
                        width: current ? 26 : 8
                        radius: 4
                        color: current ? Theme.brand : Theme.white(0.2)
                        Behavior on width { EaseInOut { duration: 350 } }
                        Behavior on color { ColorAnimation { duration: 350 } }
                    }
                }
            }
            Item { Layout.fillWidth: true }
            GlassButton {
                objectName: "onboardingBack"
                visible: tour.canGoBack
                prominent: false
                text: L10n.text(L10n.language, "action.back")
                textSize: Theme.body
                horizontalPadding: 20
                fixedHeight: 40
                onClicked: tour.back()
            }
            GlassButton {
                id: continueButton
                objectName: "onboardingContinue"
                // Once the tour is in its window.
                Timer { running: true; interval: 0; onTriggered: Theme.offerFocus(continueButton, continueButton.Window.window, true) }
                fixedWidth: 180
                fixedHeight: 48
                tint: Theme.brand
                text: L10n.text(L10n.language, tour.continueKey)
                textSize: Theme.headline
                onClicked: tour.advance()
            }
        }
    }

    component Page: Item {
        id: page
        property int step
        // 1: off at the trailing edge, 0: in place, -1: gone past the leading edge.
        property real phase
        objectName: "onboardingPage_" + step
        width: stage.width
        height: stage.height
        x: phase * width
        opacity: 1 - Math.min(1, Math.abs(phase))

        NumberAnimation on phase { id: arrive; to: 0; duration: 350; easing.type: Easing.BezierSpline; easing.bezierCurve: Theme.easeInOut }
        NumberAnimation {
            id: depart
            target: page; property: "phase"; to: -1
            duration: 350; easing.type: Easing.BezierSpline; easing.bezierCurve: Theme.easeInOut
            onFinished: page.destroy()
        }
        function leave() { arrive.stop(); depart.start() }

        // Built with its step already known, so the slide makes only its own picture.
        Component.onCompleted: {
            const content = (step === 0 ? languageStep : slide).createObject(page, { step: step })
            content.width = Qt.binding(() => page.width)
            content.y = Qt.binding(() => Math.round((page.height - content.height) / 2))
        }
    }
    Component { id: pageComponent; Page {} }

    Component {
        id: languageStep
        Column {
            required property int step
            spacing: 22
            Wordmark { large: true; anchors.horizontalCenter: parent.horizontalCenter }
            Column {
                width: parent.width
                spacing: 8
                Label {
                    objectName: "onbTitle_0"
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                    text: L10n.text(L10n.language, "onb.langTitle")
                    size: 30; bold: true
                }
                Label {
                    objectName: "onbBody_0"
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                    text: L10n.text(L10n.language, "onb.langSubtitle")
                    size: Theme.title3
                    color: Theme.white(0.6)
                }
            }
            Row {
                anchors.horizontalCenter: parent.horizontalCenter
                spacing: 14
                topPadding: 8
                Repeater {
                    id: languageCards
                    model: Languages.all
                    // Left and Right move between the two cards; Space or Return chooses.
                    delegate: Pressable {
                        id: card
                        required property var modelData
                        required property int index
                        readonly property bool current: L10n.language === modelData.code
                        accessibleName: modelData.name
                        Accessible.role: Accessible.RadioButton
                        Accessible.checkable: true
                        Accessible.checked: current
                        ringRadius: 21
                        onClicked: tour.chooseLanguage(card.modelData.code)
                        Keys.onLeftPressed: if (index > 0) languageCards.itemAt(index - 1).forceActiveFocus(Qt.TabFocusReason)
                        Keys.onRightPressed: if (index + 1 < languageCards.count) languageCards.itemAt(index + 1).forceActiveFocus(Qt.TabFocusReason)
                        // 0 plain, 1 chosen; the spring carries fill, outline and shadow together.
                        property real chosen: current ? 1 : 0
                        Behavior on chosen { Spring { response: 0.3; dampingFraction: 0.7 } }
                        readonly property real c: Math.max(0, Math.min(1, chosen))
                        objectName: "langCard_" + modelData.code
                        width: 150; height: 132

                        Shadow {
                            target: face
                            color: Theme.tint(Theme.brand, 0.3)
                            opacity: card.c
                            blur: 16
                            cornerRadius: 18
                            knockout: true
                        }
                        Rectangle {
                            id: face
                            anchors.fill: parent
                            radius: 18
                            color: Qt.rgba(1 + (Theme.brand.r - 1) * card.c, 1 + (Theme.brand.g - 1) * card.c,
                                           1 + (Theme.brand.b - 1) * card.c, 0.05 + 0.17 * card.c)
                            border.width: 1 + card.c
                            border.color: Qt.rgba(1 + (Theme.brand.r - 1) * card.c, 1 + (Theme.brand.g - 1) * card.c,
                                                  1 + (Theme.brand.b - 1) * card.c, 0.12 + 0.88 * card.c)
                        }
                        Column {
                            anchors.centerIn: parent
                            spacing: 10
                            Text {
                                anchors.horizontalCenter: parent.horizontalCenter
                                Accessible.ignored: true
                                text: card.modelData.flag
                                font.pixelSize: 46
                            }
                            Label {
                                objectName: card.objectName + "_name"
                                anchors.horizontalCenter: parent.horizontalCenter
                                text: card.modelData.name
                                size: Theme.headline; semibold: true
                            }
                        }
                    }
                }
            }
        }
    }

    Component {
        id: slide
        Column {
            id: slideColumn
            required property int step
            spacing: 32
            Item {
                width: parent.width
                height: 190
                // By address: Qt 6.4's Loader cannot make a component declared in this bound file.
                Loader {
                    anchors.centerIn: parent
                    source: ["OnbReclaimIllustration.qml", "OnbModulesIllustration.qml",
                             "OnbControlIllustration.qml"][slideColumn.step - 1] ?? ""
                }
            }
            Column {
                width: parent.width
                spacing: 12
                Label {
                    objectName: "onbTitle_" + slideColumn.step
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                    text: L10n.text(L10n.language, "onb.s" + slideColumn.step + ".title")
                    size: 30; bold: true
                }
                Label {
                    objectName: "onbBody_" + slideColumn.step
                    // Even lines: no word left alone on the last one.
                    width: TextFit.balancedWidth(text, font, parent.width)
                    anchors.horizontalCenter: parent.horizontalCenter
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                    text: L10n.text(L10n.language, "onb.s" + slideColumn.step + ".body")
                    size: Theme.title3
                    color: Theme.white(0.65)
                    lineHeight: 1.1
                }
            }
        }
    }
}
