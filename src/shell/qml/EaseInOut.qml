import QtQuick
import Orvane.Shell

NumberAnimation {
    duration: Theme.navigationMs
    easing.type: Easing.BezierSpline
    easing.bezierCurve: Theme.easeInOut
}
