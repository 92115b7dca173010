import QtQuick
import Ondrel.UI

// The ring a control shows while it has the keyboard's focus, just outside its parent's edge.
Rectangle {
    property real cornerRadius: 6

    anchors.fill: parent
    anchors.margins: -3
    radius: cornerRadius + 3
    color: "transparent"
    border.width: 2
    border.color: Theme.tint(Theme.accent, 0.6)
}
