import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ondrel.UI

// The root screen's header: the title and tagline, the update buttons and the sort menu.
Item {
    id: header

    required property bool updateAvailable
    // Checks for an update or installs the one found; null hides both update buttons.
    property AppUpdater updater: null

    // The search button's tooltip: its action and keys.
    property string searchToolTip: ""

    signal sortChosen(bool byDeadline)
    signal search

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
            id: checkButton
            objectName: "checkUpdatesButton"
            text: "Проверить обновления" // read by a screen reader and shown as the tooltip
            visible: header.updater !== null && !header.updateAvailable
            contentItem: Symbol {
                symbol: "arrow.triangle.2.circlepath"
                size: Theme.callout
                color: Theme.secondary
            }
            ToolTip.visible: hovered
            ToolTip.delay: 600
            ToolTip.text: text
            onClicked: header.updater.checkForUpdates()

            FocusRing {
                visible: checkButton.visualFocus
            }
        }

        AbstractButton {
            id: installButton
            objectName: "installUpdateButton"
            Accessible.name: "Обновить"
            visible: header.updater !== null && header.updateAvailable
            topPadding: 6
            bottomPadding: 6
            leftPadding: 12
            rightPadding: 12
            contentItem: SymbolLabel {
                symbol: "arrow.down.circle.fill"
                text: "Обновить"
                size: Theme.caption
                color: Theme.textOnAccent
                weight: Font.DemiBold
            }
            background: GradientFill {
                radius: height / 2
            }
            ToolTip.visible: hovered
            ToolTip.delay: 600
            ToolTip.text: "Доступно обновление — установить"
            onClicked: header.updater.checkForUpdates()

            FocusRing {
                visible: installButton.visualFocus
                cornerRadius: installButton.height / 2
            }
        }

        AbstractButton {
            id: searchButton
            objectName: "searchButton"
            Accessible.name: "Поиск"
            contentItem: Symbol {
                symbol: "magnifyingglass"
                size: Theme.title3
                color: Theme.accentText
            }
            ToolTip.visible: hovered
            ToolTip.delay: 600
            ToolTip.text: header.searchToolTip
            onClicked: header.search()

            FocusRing {
                visible: searchButton.visualFocus
                cornerRadius: searchButton.height / 2
            }
        }

        AbstractButton {
            id: sortButton
            objectName: "sortButton"
            Accessible.name: "Сортировка"
            contentItem: Symbol {
                symbol: "arrow.up.arrow.down.circle"
                size: Theme.title3
                color: Theme.accentText
            }
            onClicked: sortMenu.popup(sortButton, 0, sortButton.height)

            FocusRing {
                visible: sortButton.visualFocus
                cornerRadius: sortButton.height / 2
            }

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
