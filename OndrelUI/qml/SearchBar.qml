import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ondrel.UI

// The search over the task list: the query field, "Во всех папках" and the close button. The
// arrows and Return in the field go to the results (`navigate`), Escape closes.
Rectangle {
    id: bar

    required property TaskSearchModel results

    signal close
    signal navigate(int key)

    function focusField() {
        field.forceActiveFocus()
        field.selectAll()
    }

    implicitHeight: column.implicitHeight + 2 * 8
    color: Theme.odBackground

    ColumnLayout {
        id: column
        x: 16
        y: 8
        width: bar.width - 2 * 16
        spacing: 6

        RowLayout {
            spacing: 10

            TextField {
                id: field
                objectName: "searchField"
                Layout.fillWidth: true
                placeholderText: "Найти задачу"
                placeholderTextColor: Theme.secondary
                Accessible.name: placeholderText
                font.pixelSize: Theme.body
                color: Theme.primary
                leftPadding: 32
                rightPadding: 14
                topPadding: 8
                bottomPadding: 8
                text: bar.results.query
                onTextEdited: bar.results.query = text
                background: Rectangle {
                    radius: height / 2
                    color: Theme.odCard
                    border.width: 1
                    border.color: field.activeFocus ? Theme.tint(Theme.accent, 0.5) : Theme.outline

                    Symbol {
                        x: 10
                        anchors.verticalCenter: parent.verticalCenter
                        symbol: "magnifyingglass"
                        color: Theme.secondary
                    }
                }
                Keys.onPressed: event => {
                    if (event.key === Qt.Key_Escape)
                        bar.close()
                    else if (event.key === Qt.Key_Down || event.key === Qt.Key_Up
                             || event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                        bar.navigate(event.key)
                    else
                        return
                    event.accepted = true
                }
            }

            AbstractButton {
                id: closeButton
                objectName: "closeSearchButton"
                Accessible.role: Accessible.Button
                Accessible.name: "Закрыть поиск"
                contentItem: Symbol {
                    symbol: "xmark"
                    size: Theme.title3
                    color: Theme.secondary
                }
                onClicked: bar.close()

                FocusRing {
                    visible: closeButton.visualFocus
                    cornerRadius: closeButton.height / 2
                }
            }
        }

        RowLayout {
            spacing: 8

            ToggleSwitch {
                id: everywhere
                objectName: "allFoldersSwitch"
                checked: bar.results.allFolders
                Accessible.role: Accessible.CheckBox
                Accessible.name: everywhereLabel.text
                onToggled: bar.results.allFolders = checked
            }
            Text {
                id: everywhereLabel
                text: "Во всех папках"
                font.pixelSize: Theme.callout
                color: Theme.primary
                TapHandler {
                    onTapped: bar.results.allFolders = !bar.results.allFolders
                }
            }
            Item {
                Layout.fillWidth: true
            }
            BusyIndicator {
                visible: bar.results.loading
                running: visible
                implicitWidth: 16
                implicitHeight: 16
                padding: 0
            }
            Text {
                Layout.maximumWidth: column.width / 2
                visible: bar.results.errorText !== "" || bar.results.query.trim() !== ""
                text: bar.results.errorText !== "" ? bar.results.errorText
                                                  : "Найдено: " + bar.results.resultCount
                elide: Text.ElideRight
                font.pixelSize: Theme.caption
                color: bar.results.errorText !== "" ? Theme.red : Theme.secondary
            }
        }
    }
}
