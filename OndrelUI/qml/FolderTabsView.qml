import QtQuick
import QtQuick.Controls
import Ondrel.UI

// The folder tabs: one tab per folder in the service's order and the add button after them, in
// a strip that scrolls sideways. The gradient highlight springs from tab to tab as the
// selection changes. System folders offer no context menu. A tab with the keyboard's focus opens
// its menu with the menu key (or Shift+F10); the first nine tabs name their Ctrl+digit.
Flickable {
    id: tabs

    required property FolderListModel folders
    property string addToolTip

    signal select(string folderId)
    signal add
    signal delete_(string folderId)

    readonly property real tabRadius: 10
    // The selected tab's item; re-read when the tabs are rebuilt.
    readonly property Item selectedTab: {
        tabRepeater.count
        return tabRepeater.itemAt(folders.selectedRow)
    }

    implicitHeight: strip.height + 2 * 6
    contentWidth: strip.width
    contentHeight: height
    flickableDirection: Flickable.HorizontalFlick
    boundsBehavior: Flickable.StopAtBounds
    clip: true

    Item {
        id: strip
        y: 6
        width: row.width
        height: row.height

        // The faces of the unselected tabs, under the highlight so that it slides over them.
        Item {
            id: faces
            anchors.fill: parent
        }

        GradientFill {
            objectName: "tabHighlight"
            visible: tabs.selectedTab !== null
            x: tabs.selectedTab ? tabs.selectedTab.x : 0
            y: tabs.selectedTab ? tabs.selectedTab.y : 0
            width: tabs.selectedTab ? tabs.selectedTab.width : 0
            height: tabs.selectedTab ? tabs.selectedTab.height : 0
            radius: tabs.tabRadius
            Behavior on x { SpringAnimation { spring: 4; damping: 0.4 } }
            Behavior on width { SpringAnimation { spring: 4; damping: 0.4 } }
        }

        Row {
            id: row
            leftPadding: 16
            rightPadding: 16
            spacing: 8

            Repeater {
                id: tabRepeater
                model: tabs.folders

                // A TabButton, as only the control's own type gives its role to a screen reader.
                TabButton {
                    id: tab

                    required property int index
                    required property string folderId
                    required property string label
                    required property bool isSystem
                    required property bool isSelected

                    objectName: "tab:" + folderId
                    Accessible.name: label
                    Accessible.selected: isSelected
                    topPadding: 7
                    bottomPadding: 7
                    leftPadding: 14
                    rightPadding: 14
                    checkable: false
                    background: null
                    contentItem: Text {
                        text: tab.label
                        font.pixelSize: Theme.subheadline
                        font.weight: tab.isSelected ? Font.DemiBold : Font.Normal
                        color: tab.isSelected ? Theme.textOnAccent : Theme.primary
                    }
                    onClicked: tabs.select(folderId)
                    ToolTip.visible: hovered && index < 9
                    ToolTip.delay: 600
                    ToolTip.text: "Ctrl+" + (index + 1)
                    Keys.onPressed: event => {
                        if (!tab.isSystem && (event.key === Qt.Key_Menu || (event.key === Qt.Key_F10
                                && (event.modifiers & Qt.ShiftModifier)))) {
                            menu.popup(tab, 0, tab.height)
                            event.accepted = true
                        }
                    }
                    FocusRing {
                        visible: tab.visualFocus
                        cornerRadius: tabs.tabRadius
                    }

                    Rectangle {
                        parent: faces
                        x: tab.x
                        y: tab.y
                        width: tab.width
                        height: tab.height
                        radius: tabs.tabRadius
                        color: Theme.odCard
                        visible: !tab.isSelected
                    }
                    TapHandler {
                        acceptedButtons: Qt.RightButton
                        enabled: !tab.isSystem
                        onTapped: point => menu.popup(tab, point.position.x, point.position.y)
                    }
                    ContextMenu {
                        id: menu
                        objectName: "folderMenu"
                        SymbolMenuItem {
                            text: "Удалить папку"
                            symbol: "trash"
                            destructive: true
                            onTriggered: tabs.delete_(tab.folderId)
                        }
                    }
                }
            }

            AbstractButton {
                id: addButton
                objectName: "addFolderButton"
                Accessible.name: "Новая папка"
                topPadding: 7
                bottomPadding: 7
                leftPadding: 12
                rightPadding: 12
                contentItem: Symbol {
                    symbol: "plus"
                    size: Theme.subheadline
                    font.weight: Font.DemiBold
                    color: Theme.accentText
                }
                background: Rectangle {
                    radius: tabs.tabRadius
                    color: Theme.tint(Theme.accent, 0.12)
                }
                onClicked: tabs.add()
                ToolTip.visible: hovered && tabs.addToolTip !== ""
                ToolTip.delay: 600
                ToolTip.text: tabs.addToolTip

                FocusRing {
                    visible: addButton.visualFocus
                    cornerRadius: tabs.tabRadius
                }
            }
        }
    }
}
