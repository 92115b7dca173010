import QtQuick
import QtQuick.Controls
import Ondrel.UI

// The look of every menu of the screens: a rounded panel with a soft shadow.
Menu {
    id: menu

    // Wide enough for the longest entry with its keys.
    property real minimumWidth: 210

    padding: 5
    // Submenus open from an entry like every other.
    delegate: SymbolMenuItem {}
    background: Rectangle {
        implicitWidth: menu.minimumWidth
        radius: 8
        color: Theme.odCard
        border.color: Theme.outline

        SoftShadow {
            cornerRadius: 8
            color: Theme.popupShadow
            shadowRadius: 8
            offsetY: 3
        }
    }
}
