import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ondrel.UI

// The root screen's header: the title and tagline, the update buttons and the sort menu.
Item {
    id: header

    required property bool updateAvailable
    // Starts an update check or installation; null hides both update buttons.
    property var checkUpdates: null

    signal sortChosen(bool byDeadline)

    implicitHeight: row.implicitHeight + 16 + 10

    RowLayout {
        id: row
        x: 20
        y: 16
        width: header.width - 2 * 20
        spacing: 8

        Column {
            Layout.fillWidth: true
            Text {
                text: "Ondrel"
                font.pixelSize: Theme.title2
                font.weight: Font.Bold
                color: Theme.primary
            }
            Text {
                text: "Наговори — AI разложит по полочкам"
                font.pixelSize: Theme.caption
                color: Theme.secondary
            }
        }

        AbstractButton {
            objectName: "checkUpdatesButton"
            visible: header.checkUpdates !== null && !header.updateAvailable
            contentItem: Symbol {
                symbol: "arrow.triangle.2.circlepath"
                size: Theme.callout
                color: Theme.secondary
            }
            ToolTip.visible: hovered
            ToolTip.delay: 600
            ToolTip.text: "Проверить обновления"
            onClicked: header.checkUpdates()
        }

        AbstractButton {
            objectName: "installUpdateButton"
            visible: header.checkUpdates !== null && header.updateAvailable
            topPadding: 6
            bottomPadding: 6
            leftPadding: 12
            rightPadding: 12
            contentItem: SymbolLabel {
                symbol: "arrow.down.circle.fill"
                text: "Обновить"
                size: Theme.caption
                color: "white"
                weight: Font.DemiBold
            }
            background: GradientFill {
                radius: height / 2
            }
            ToolTip.visible: hovered
            ToolTip.delay: 600
            ToolTip.text: "Доступно обновление — установить"
            onClicked: header.checkUpdates()
        }

        AbstractButton {
            id: sortButton
            objectName: "sortButton"
            contentItem: Symbol {
                symbol: "arrow.up.arrow.down.circle"
                size: Theme.title3
                color: Theme.accent
            }
            onClicked: sortMenu.popup(sortButton, 0, sortButton.height)

            ContextMenu {
                id: sortMenu
                objectName: "sortMenu"
                SymbolMenuItem {
                    text: "Сначала новые"
                    onTriggered: header.sortChosen(false)
                }
                SymbolMenuItem {
                    text: "По дедлайну"
                    onTriggered: header.sortChosen(true)
                }
            }
        }
    }
}
