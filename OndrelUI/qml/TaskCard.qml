import QtQuick
import QtQuick.Controls
import Ondrel.UI

// One task of the list: the completion toggle, then the open button with the priority dot, the
// title, the description preview and the line of short facts; a context menu to complete,
// reopen, show the details or delete. The card only reports what the user asked for. The list
// takes the keyboard for its cards, so the card's buttons take no focus; the card the keys act
// on is ringed.
Rectangle {
    id: card

    // The task's row of the task list model: its roles by name.
    required property var task
    property bool focused: false

    signal toggle
    signal open
    signal details
    signal delete_

    function openMenu() {
        menu.openAt(Qt.point(width / 2, height / 2))
    }

    implicitHeight: content.implicitHeight + 2 * 14
    radius: Theme.cardRadius
    color: Theme.odCard
    // One item with its whole state for a screen reader; its buttons are reached through the
    // list's keys and the context menu.
    Accessible.role: Accessible.ListItem
    Accessible.name: task.spokenText
    Accessible.focusable: true
    Accessible.focused: focused
    Accessible.onPressAction: card.open()

    SoftShadow {
        cornerRadius: card.radius
        color: Theme.cardShadow
        shadowRadius: 5
        offsetY: 2
    }
    FocusRing {
        visible: card.focused
        cornerRadius: card.radius
    }

    Row {
        id: content
        x: 14
        y: 14
        width: card.width - 2 * 14
        spacing: 8

        // A CheckBox for its role; the task, not the click, decides what it shows.
        CheckBox {
            id: toggleButton
            objectName: "toggleButton"
            focusPolicy: Qt.NoFocus
            Accessible.name: "Выполнена"
            checked: card.task.isDone
            nextCheckState: function () {
                return checkState
            }
            padding: 0
            spacing: 0
            indicator: null
            background: null
            contentItem: Symbol {
                symbol: card.task.isDone ? "checkmark.circle.fill" : "circle"
                size: Theme.title3
                color: card.task.isDone ? Theme.green : Theme.accentText
            }
            onClicked: card.toggle()
        }

        AbstractButton {
            objectName: "openButton"
            focusPolicy: Qt.NoFocus
            Accessible.name: "Открыть задачу"
            width: content.width - toggleButton.width - content.spacing
            contentItem: Row {
                spacing: 8

                Rectangle {
                    y: 6
                    width: 9
                    height: 9
                    radius: 4.5
                    color: Theme.priorityColor(card.task.priority)
                }

                Column {
                    width: parent.width - 9 - parent.spacing
                    spacing: 4

                    SymbolLabel {
                        objectName: "folderLabel"
                        visible: text !== ""
                        symbol: "folder"
                        text: card.task.folderName ?? ""
                    }
                    Text {
                        width: parent.width
                        // Search results mark what matched.
                        text: card.task.titleMarkup || card.task.title
                        textFormat: card.task.titleMarkup ? Text.StyledText : Text.PlainText
                        wrapMode: Text.Wrap
                        font.pixelSize: Theme.body
                        font.weight: Font.Medium
                        font.strikeout: card.task.isDone
                        color: card.task.isDone ? Theme.secondary : Theme.primary
                    }
                    Text {
                        width: parent.width
                        visible: card.task.descriptionPreview !== undefined
                        text: card.task.descriptionMarkup || (card.task.descriptionPreview ?? "")
                        textFormat: card.task.descriptionMarkup ? Text.StyledText : Text.PlainText
                        wrapMode: Text.Wrap
                        maximumLineCount: 2
                        elide: Text.ElideRight
                        font.pixelSize: Theme.caption
                        color: Theme.secondary
                    }
                    // One line: what does not fit is cut off at the card's edge.
                    Item {
                        width: parent.width
                        height: childrenRect.height
                        clip: true

                        Row {
                            spacing: 10

                            Symbol {
                                objectName: "pendingMark"
                                anchors.verticalCenter: parent.verticalCenter
                                visible: card.task.hasPendingChange === true
                                symbol: "clock.arrow.circlepath"
                                size: Theme.caption2
                                color: Theme.secondary
                                Accessible.name: "Изменение ещё не отправлено"
                            }
                            SymbolLabel {
                                anchors.verticalCenter: parent.verticalCenter
                                visible: card.task.dueText !== ""
                                symbol: "calendar"
                                text: card.task.dueText
                                color: card.task.isOverdue ? Theme.red : Theme.secondary
                            }
                            Text {
                                anchors.verticalCenter: parent.verticalCenter
                                visible: card.task.showsNoDeadline
                                text: "без срока"
                                font.pixelSize: Theme.caption2
                                color: Theme.secondary
                            }
                            Symbol {
                                anchors.verticalCenter: parent.verticalCenter
                                visible: card.task.hasRecurrence
                                symbol: "repeat"
                                size: Theme.caption2
                                color: Theme.secondary
                            }
                            SymbolLabel {
                                anchors.verticalCenter: parent.verticalCenter
                                visible: card.task.checklistText !== ""
                                symbol: "checklist"
                                text: card.task.checklistText
                            }
                            SymbolLabel {
                                anchors.verticalCenter: parent.verticalCenter
                                visible: card.task.completedText !== ""
                                symbol: "checkmark.seal"
                                text: card.task.completedText
                                color: Theme.green
                            }
                            Repeater {
                                model: card.task.tags
                                Text {
                                    required property string modelData
                                    anchors.verticalCenter: parent.verticalCenter
                                    text: "#" + modelData
                                    font.pixelSize: Theme.caption2
                                    color: Theme.accentText
                                }
                            }
                        }
                    }
                }
            }
            onClicked: card.open()
        }
    }

    TapHandler {
        acceptedButtons: Qt.RightButton
        onTapped: point => menu.openAt(point.position)
    }
    // Built on demand: a long list keeps no menu per card.
    Loader {
        id: menu

        property point at

        function openAt(position) {
            at = position
            active = true
        }

        active: false
        sourceComponent: ContextMenu {
            objectName: "cardMenu"
            Component.onCompleted: popup(card, menu.at.x, menu.at.y)
            onClosed: menu.active = false
            SymbolMenuItem {
                text: card.task.isDone ? "Вернуть в работу" : "Выполнить"
                symbol: card.task.isDone ? "arrow.uturn.backward" : "checkmark"
                keys: "Пробел"
                onTriggered: card.toggle()
            }
            SymbolMenuItem {
                text: "Подробнее"
                symbol: "info.circle"
                onTriggered: card.details()
            }
            SymbolMenuItem {
                text: "Удалить"
                symbol: "trash"
                destructive: true
                onTriggered: card.delete_()
            }
        }
    }
}
