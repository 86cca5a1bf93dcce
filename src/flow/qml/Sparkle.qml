import QtQuick
import QtQuick.Shapes

// The four-pointed sparkle: four points joined by inward curves.
Shape {
    id: sparkle
    property real size: 16
    property color color: "white"
    readonly property real r: size * 0.59 // as large as a symbol of this size draws
    readonly property real k: 0.2 * r      // how close to the centre the sides curve in
    width: 2 * r
    height: 2 * r
    antialiasing: true

    ShapePath {
        fillColor: sparkle.color
        strokeColor: "transparent"
        strokeWidth: 0
        startX: sparkle.r; startY: 0
        PathQuad { x: 2 * sparkle.r; y: sparkle.r; controlX: sparkle.r + sparkle.k; controlY: sparkle.r - sparkle.k }
        PathQuad { x: sparkle.r; y: 2 * sparkle.r; controlX: sparkle.r + sparkle.k; controlY: sparkle.r + sparkle.k }
        PathQuad { x: 0; y: sparkle.r; controlX: sparkle.r - sparkle.k; controlY: sparkle.r + sparkle.k }
        PathQuad { x: sparkle.r; y: 0; controlX: sparkle.r - sparkle.k; controlY: sparkle.r - sparkle.k }
    }
}
