import QtQuick
import Orvane.Shell

NumberAnimation {
    duration: Theme.hoverMs
    easing.type: Easing.BezierSpline
    easing.bezierCurve: Theme.easeOut
}
