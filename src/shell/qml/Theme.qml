pragma Singleton
import QtQuick
import Orvane.Shell

// Design values shared by every screen: fonts, text sizes, colours, timings and curves.
QtObject {
    readonly property string fontFamily: "Inter"

    // Text styles
    readonly property int largeTitle: 26
    readonly property int title: 22
    readonly property int title2: 17
    readonly property int title3: 15
    readonly property int headline: 13
    readonly property int body: 13
    readonly property int callout: 12
    readonly property int subheadline: 11
    readonly property int caption: 10
    readonly property int caption2: 10

    readonly property color brand: Colors.brand
    // The focus ring's colour: the open section's accent (the content view sets it).
    property color focusColor: Colors.brand
    // A screen that appears gives its main control the keyboard focus, unless the user is moving
    // through the sidebar (or `always`).
    function offerFocus(item, window, always) {
        if (!always)
            for (let f = window ? window.activeFocusItem : null; f; f = f.parent)
                if (f.objectName === "sidebar")
                    return
        item.forceActiveFocus(Qt.OtherFocusReason)
    }
    function accent(sectionId) { return Colors.accent(sectionId) }
    function white(opacity) { return Qt.rgba(1, 1, 1, opacity) }
    function black(opacity) { return Qt.rgba(0, 0, 0, opacity) }
    function tint(c, opacity) { return Qt.rgba(c.r, c.g, c.b, opacity) }
    function gradientTop(c) { return Colors.gradientTop(c) }
    function gradientBottom(c) { return Colors.gradientBottom(c) }

    // Curves (cubic Bézier control points) and durations
    readonly property var easeOut: [0.0, 0.0, 0.58, 1.0, 1.0, 1.0]
    readonly property var easeInOut: [0.42, 0.0, 0.58, 1.0, 1.0, 1.0]
    readonly property int hoverMs: 180
    readonly property int navigationMs: 300
    readonly property int rowSelectMs: 250
    readonly property int onboardingFadeMs: 550
    readonly property int ringMs: 1100

    // Springs as (response s, damping fraction); Spring {} turns them into animations.
    readonly property var expandSpring: ({ response: 0.35, damping: 0.8 })
    readonly property var popSpring: ({ response: 0.5, damping: 0.6 })
    readonly property var appearSpring: ({ response: 0.5, damping: 0.72 })
    readonly property real staggerStep: 0.09

    // Cards
    readonly property real cardRadius: 16
    readonly property color cardTop: Qt.rgba(1, 1, 1, 0.1)
    readonly property color cardBottom: Qt.rgba(1, 1, 1, 0.035)
}
