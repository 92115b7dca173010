pragma Singleton
import QtQuick

// The constants every screen draws with: colours, the accent gradient, radii, the text styles
// as pixel sizes, and the one table from symbol names to glyphs of the bundled icon font.
QtObject {
    readonly property color accent: Qt.rgba(0.40, 0.34, 0.92, 1)
    readonly property color accent2: Qt.rgba(0.66, 0.38, 0.96, 1)
    // The gradient runs from accent at the top-leading corner to accent2 at the bottom-trailing
    // one; GradientFill draws it.
    readonly property real radius: 16
    readonly property real cardRadius: 18

    readonly property color odBackground: "#ececec" // window background
    readonly property color odCard: "#ffffff" // control background
    readonly property color material: Qt.rgba(0.965, 0.965, 0.965, 0.85) // translucent panel
    readonly property color primary: Qt.rgba(0, 0, 0, 0.85)
    readonly property color secondary: Qt.rgba(0, 0, 0, 0.5)
    readonly property color outline: Qt.rgba(0, 0, 0, 0.12)
    readonly property color red: "#ff3b30"
    readonly property color green: "#28cd41"
    readonly property color orange: "#ff9500"
    readonly property color grey: "#8e8e93"

    // Text styles, in pixels.
    readonly property int largeTitle: 26
    readonly property int title2: 17
    readonly property int title3: 15
    readonly property int headline: 13
    readonly property int body: 13
    readonly property int callout: 12
    readonly property int subheadline: 11
    readonly property int caption: 10
    readonly property int caption2: 10

    // The colour that stands for a priority, by its wire string.
    function priorityColor(priority) {
        switch (priority) {
        case "LOW": return accent
        case "MEDIUM": return orange
        case "HIGH": return red
        default: return Qt.rgba(grey.r, grey.g, grey.b, 0.35)
        }
    }

    // Icon glyphs are drawn this much larger than text of the same style so that they match
    // its visual weight.
    readonly property real symbolScale: 1.2
    readonly property string symbolFont: iconFont.font.family
    readonly property FontLoader iconFont: FontLoader {
        source: "qrc:/Ondrel/UI/fonts/MaterialIcons-Regular.ttf"
    }
    readonly property var symbols: ({
        "arrow.clockwise": "\ue5d5",
        "arrow.down.circle.fill": "\uf181",
        "arrow.triangle.2.circlepath": "\ue627",
        "arrow.up": "\ue5d8",
        "arrow.up.arrow.down.circle": "\ue8d6",
        "arrow.uturn.backward": "\ue166",
        "bell": "\ue7f4",
        "brain.head.profile": "\uea4a",
        "calendar": "\ue935",
        "checklist": "\ue6b1",
        "checkmark": "\ue5ca",
        "checkmark.circle.fill": "\ue86c",
        "checkmark.seal": "\uef76",
        "chevron.left": "\ue5cb",
        "chevron.right": "\ue5cc",
        "chevron.up.chevron.down": "\ue5d7",
        "circle": "\ue836",
        "clock.arrow.circlepath": "\ue889",
        "doc.on.doc": "\ue14d",
        "exclamationmark.triangle.fill": "\ue002",
        "info.circle": "\ue88e",
        "mic.fill": "\ue029",
        "plus": "\ue145",
        "repeat": "\ue040",
        "sparkles": "\ue65f",
        "stop.fill": "\ue047",
        "trash": "\ue872",
        "xmark": "\ue5cd"
    })
}
