import QtQuick
import Orvane.Shell

// The light glass card: a top-to-bottom white gradient with a soft shadow below.
Item {
    id: card
    property real radius: Theme.cardRadius
    property color topColor: Theme.cardTop
    property color bottomColor: Theme.cardBottom
    property color borderColor: "transparent"
    property real shadowOpacity: 0.3
    property real shadowBlur: 12
    property real shadowOffset: 6

    Shadow {
        target: face
        color: Theme.black(card.shadowOpacity)
        blur: card.shadowBlur
        offsetY: card.shadowOffset
        cornerRadius: card.radius
        knockout: true
    }
    Rectangle {
        id: face
        anchors.fill: parent
        radius: card.radius
        gradient: Gradient {
            GradientStop { position: 0; color: card.topColor }
            GradientStop { position: 1; color: card.bottomColor }
        }
        border.width: 1
        border.color: card.borderColor
    }
}
