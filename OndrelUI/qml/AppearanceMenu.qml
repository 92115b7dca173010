import QtQuick
import QtQuick.Controls
import Ondrel.UI

// "Оформление": follow the desktop, or always light, or always dark; the choice is remembered.
ContextMenu {
    id: menu

    required property Appearance appearance

    title: "Оформление"

    SymbolMenuItem {
        objectName: "appearanceSystem"
        text: "Как в системе"
        symbol: menu.appearance.choice === Appearance.System ? "checkmark" : ""
        Accessible.checkable: true
        Accessible.checked: menu.appearance.choice === Appearance.System
        onTriggered: menu.appearance.choice = Appearance.System
    }
    SymbolMenuItem {
        objectName: "appearanceLight"
        text: "Светлое"
        symbol: menu.appearance.choice === Appearance.Light ? "checkmark" : ""
        Accessible.checkable: true
        Accessible.checked: menu.appearance.choice === Appearance.Light
        onTriggered: menu.appearance.choice = Appearance.Light
    }
    SymbolMenuItem {
        objectName: "appearanceDark"
        text: "Тёмное"
        symbol: menu.appearance.choice === Appearance.Dark ? "checkmark" : ""
        Accessible.checkable: true
        Accessible.checked: menu.appearance.choice === Appearance.Dark
        onTriggered: menu.appearance.choice = Appearance.Dark
    }
}
