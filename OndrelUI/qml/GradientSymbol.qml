import QtQuick
import QtQuick.Shapes
import Ondrel.UI

// A symbol of the icon font painted with the accent gradient, top-leading to bottom-trailing.
Shape {
    id: glyph

    required property string symbol
    property real size: Theme.body
    readonly property real pixelSize: Math.round(size * Theme.symbolScale)

    implicitWidth: pixelSize
    implicitHeight: pixelSize
    layer.enabled: GraphicsInfo.api !== GraphicsInfo.Software
    layer.samples: 4

    ShapePath {
        strokeWidth: -1
        strokeColor: "transparent"
        fillGradient: LinearGradient {
            x1: 0
            y1: 0
            x2: glyph.width
            y2: glyph.height
            GradientStop { position: 0; color: Theme.accent }
            GradientStop { position: 1; color: Theme.accent2 }
        }
        PathText {
            font.family: Theme.symbolFont
            font.pixelSize: glyph.pixelSize
            text: Theme.symbols[glyph.symbol] ?? ""
        }
    }
}
