pragma Singleton
import QtQuick

// The constants every screen draws with: colours, the accent gradient, radii, the text styles
// as pixel sizes, and the one table from symbol names to glyphs of the bundled icon font.
QtObject {
    // The appearance drawn: the window sets it from the Appearance setting. Every colour below
    // has a light and a dark value; screens take colours only from here.
    property bool dark: false

    readonly property color accent: Qt.rgba(0.40, 0.34, 0.92, 1)
    // A deeper second accent than the first, so that white text stays legible across the whole
    // gradient.
    readonly property color accent2: Qt.rgba(0.56, 0.30, 0.88, 1)
    // The accent as text or a symbol on the window and card backgrounds.
    readonly property color accentText: dark ? "#a59cff" : "#5546d6"
    // The gradient runs from accent at the top-leading corner to accent2 at the bottom-trailing
    // one; GradientFill draws it.
    readonly property real radius: 16
    readonly property real cardRadius: 18

    readonly property color odBackground: dark ? "#1c1c1e" : "#ececec" // window background
    readonly property color odCard: dark ? "#2c2c2e" : "#ffffff" // control background
    readonly property color material: dark ? Qt.rgba(0.15, 0.15, 0.16, 0.85)
                                           : Qt.rgba(0.965, 0.965, 0.965, 0.85) // translucent panel
    readonly property color primary: dark ? Qt.rgba(1, 1, 1, 0.88) : Qt.rgba(0, 0, 0, 0.85)
    readonly property color secondary: dark ? Qt.rgba(1, 1, 1, 0.62) : Qt.rgba(0, 0, 0, 0.6)
    readonly property color outline: dark ? Qt.rgba(1, 1, 1, 0.16) : Qt.rgba(0, 0, 0, 0.12)
    readonly property color red: dark ? "#ff6b60" : "#c00011"
    // A red fill under textOnAccent: the dark appearance's red is too light for white on it.
    readonly property color redFill: "#d70015"
    readonly property color green: dark ? "#4cd964" : "#18752e"
    readonly property color orange: dark ? "#ffa733" : "#9a4b00"
    readonly property color grey: dark ? "#98989d" : "#8e8e93"
    // Text and symbols on the accent, the gradient and red fills.
    readonly property color textOnAccent: "#ffffff"
    // A pressed control, the track of a switch that is off, a disabled button's fill.
    readonly property color pressed: dark ? Qt.rgba(1, 1, 1, 0.1) : Qt.rgba(0, 0, 0, 0.06)
    readonly property color track: dark ? Qt.rgba(1, 1, 1, 0.22) : Qt.rgba(0, 0, 0, 0.15)
    readonly property color disabledFill: tint(grey, dark ? 0.5 : 0.4)
    // Behind a modal sheet, and the shadows of cards and popups (by elevation).
    readonly property color scrim: dark ? Qt.rgba(0, 0, 0, 0.5) : Qt.rgba(0, 0, 0, 0.25)
    readonly property color cardShadow: dark ? Qt.rgba(0, 0, 0, 0.3) : Qt.rgba(0, 0, 0, 0.05)
    readonly property color popupShadow: dark ? Qt.rgba(0, 0, 0, 0.45) : Qt.rgba(0, 0, 0, 0.12)
    readonly property color sheetShadow: dark ? Qt.rgba(0, 0, 0, 0.55) : Qt.rgba(0, 0, 0, 0.2)

    // `color` at opacity `alpha`, for tints of the theme's own colours.
    function tint(color, alpha) {
        return Qt.rgba(color.r, color.g, color.b, alpha)
    }

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
        default: return tint(grey, 0.35)
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
        "magnifyingglass": "\ue8b6",
        "mic.fill": "\ue029",
        "plus": "\ue145",
        "repeat": "\ue040",
        "sparkles": "\ue65f",
        "stop.fill": "\ue047",
        "trash": "\ue872",
        "folder": "\ue2c7",
        "xmark": "\ue5cd"
    })
}
