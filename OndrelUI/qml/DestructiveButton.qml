import QtQuick
import QtQuick.Controls
import Ondrel.UI

// A full-width destructive button of a form: the trash symbol and its title in red.
AbstractButton {
    id: button

    width: parent ? parent.width : implicitWidth
    padding: 10
    font.pixelSize: Theme.body
    contentItem: Item {
        implicitHeight: childrenRect.height
        SymbolLabel {
            anchors.horizontalCenter: parent.horizontalCenter
            symbol: "trash"
            text: button.text
            size: Theme.body
            color: Theme.red
        }
    }
    background: Rectangle {
        radius: 10
        color: button.down ? Theme.tint(Theme.red, 0.1) : Theme.odCard
        border.color: Theme.outline
    }
    opacity: enabled ? 1 : 0.45

    FocusRing {
        visible: button.visualFocus
        cornerRadius: 10
    }
}
