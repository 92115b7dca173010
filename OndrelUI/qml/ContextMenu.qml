import QtQuick
import QtQuick.Controls
import Ondrel.UI

// The look of every menu of the screens: a rounded panel with a soft shadow.
Menu {
    padding: 5
    background: Rectangle {
        implicitWidth: 210
        radius: 8
        color: Theme.odCard
        border.color: Theme.outline

        SoftShadow {
            cornerRadius: 8
            color: Qt.rgba(0, 0, 0, 0.12)
            shadowRadius: 8
            offsetY: 3
        }
    }
}
