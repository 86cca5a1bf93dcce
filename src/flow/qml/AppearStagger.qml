import QtQuick
import Orvane.Shell

// Makes its parent fade, grow and rise into place when it appears, `index` × 0.09 s late.
// The parent takes `transform: stagger.shift`. Created inactive, the parent is simply in place
// (a card scrolled into view after the list appeared does not replay the entrance).
QtObject {
    id: stagger
    property Item target
    property int index: 0
    property bool active: true
    property real progress: 0
    readonly property Translate shift: Translate { y: 45 * (1 - stagger.progress) }

    property Binding opacityBinding: Binding {
        target: stagger.target; property: "opacity"; value: Math.max(0, Math.min(1, stagger.progress))
    }
    property Binding scaleBinding: Binding {
        target: stagger.target; property: "scale"; value: 0.9 + 0.1 * stagger.progress
    }
    property Timer delay: Timer {
        interval: Math.round(stagger.index * Theme.staggerStep * 1000)
        onTriggered: stagger.appear.start()
    }
    Component.onCompleted: {
        if (active)
            delay.start()
        else
            progress = 1
    }
    property Spring appear: Spring {
        target: stagger; property: "progress"; from: 0; to: 1
        response: Theme.appearSpring.response; dampingFraction: Theme.appearSpring.damping
    }
}
