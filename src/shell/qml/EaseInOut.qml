import QtQuick

NumberAnimation {
    duration: Theme.navigationMs
    easing.type: Easing.BezierSpline
    easing.bezierCurve: Theme.easeInOut
}
