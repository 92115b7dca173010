import QtQuick

// The blurred shadow of a rounded rectangle the size of its parent, drawn under the parent as a
// few stacked translucent outlines: cheap enough for every card of a long list, and needing no
// shader, so the software renderer draws it too.
Item {
    id: shadow

    property real cornerRadius: 0
    property color color: Theme.cardShadow
    property real shadowRadius: 5 // how far the blur reaches beyond the edge
    property real offsetY: 0
    property int steps: 4

    anchors.fill: parent
    anchors.topMargin: offsetY
    anchors.bottomMargin: -offsetY
    z: -1

    Repeater {
        model: shadow.steps
        Rectangle {
            required property int index
            // Outlines spread evenly from the blur radius inside the edge to as far outside,
            // each adding an equal share of the opacity.
            readonly property real spread: shadow.shadowRadius * (2 * (index + 0.5) / shadow.steps - 1)
            x: -spread
            y: -spread
            width: shadow.width + 2 * spread
            height: shadow.height + 2 * spread
            radius: Math.max(0, shadow.cornerRadius + spread)
            color: Qt.rgba(shadow.color.r, shadow.color.g, shadow.color.b,
                           1 - Math.pow(1 - shadow.color.a, 1 / shadow.steps))
        }
    }
}
