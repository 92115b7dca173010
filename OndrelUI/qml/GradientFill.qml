import QtQuick
import QtQuick.Shapes
import Ondrel.UI

// A rounded rectangle (a capsule or a circle once the radius reaches half a side) filled with
// the accent gradient from the top-leading to the bottom-trailing corner.
Shape {
    id: fill

    property real radius: 0
    readonly property real corner: Math.min(radius, width / 2, height / 2)

    // Smooth edges where the scene is drawn by the GPU; the software renderer already
    // antialiases shapes.
    layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
    layer.samples: 4

    ShapePath {
        strokeWidth: -1
        strokeColor: "transparent"
        fillGradient: LinearGradient {
            x1: 0
            y1: 0
            x2: fill.width
            y2: fill.height
            GradientStop { position: 0; color: Theme.accent }
            GradientStop { position: 1; color: Theme.accent2 }
        }
        startX: fill.corner
        startY: 0
        PathLine { x: fill.width - fill.corner; y: 0 }
        PathArc { x: fill.width; y: fill.corner; radiusX: fill.corner; radiusY: fill.corner }
        PathLine { x: fill.width; y: fill.height - fill.corner }
        PathArc { x: fill.width - fill.corner; y: fill.height; radiusX: fill.corner; radiusY: fill.corner }
        PathLine { x: fill.corner; y: fill.height }
        PathArc { x: 0; y: fill.height - fill.corner; radiusX: fill.corner; radiusY: fill.corner }
        PathLine { x: 0; y: fill.corner }
        PathArc { x: fill.corner; y: 0; radiusX: fill.corner; radiusY: fill.corner }
    }
}
