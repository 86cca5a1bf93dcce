import QtQuick
import Orvane.Shell

// A spring given as (response, damping fraction), played as a curve that follows its motion.
NumberAnimation {
    property real response: 0.5
    property real dampingFraction: 0.825
    duration: Springs.duration(response, dampingFraction)
    easing.type: Easing.BezierSpline
    easing.bezierCurve: Springs.curve(response, dampingFraction)
}
