import QtQuick
import Orvane.Shell

// Stands in for the first-run onboarding: the wordmark and one button that finishes it.
Item {
    id: onboarding
    objectName: "onboarding"
    signal finish()
    DiagonalGradient { anchors.fill: parent; colors: Colors.appBackground }
    MouseArea { anchors.fill: parent; hoverEnabled: true } // nothing below reacts meanwhile
    Column {
        anchors.centerIn: parent
        spacing: 28
        Wordmark { large: true; anchors.horizontalCenter: parent.horizontalCenter }
        GlassButton {
            objectName: "onboardingFinish"
            anchors.horizontalCenter: parent.horizontalCenter
            fixedWidth: 200; fixedHeight: 50
            tint: Theme.brand
            text: (L10n.language, L10n.t("onb.start"))
            textSize: Theme.headline
            onClicked: onboarding.finish()
        }
    }
}
