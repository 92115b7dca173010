import QtQuick
import QtQuick.Controls
import Ondrel.UI

// One task as a form: its title, description and due date, a status picker that saves the
// chosen status and shows the task's status once the service has answered, and its checklist,
// whose entries tick locally.
ScrollingForm {
    id: detail

    required property TaskDetailViewModel viewModel

    FormSection {
        title: "Задача"
        Text {
            objectName: "detailTitle"
            width: parent.width
            padding: 12
            text: detail.viewModel.title
            wrapMode: Text.Wrap
            font.pixelSize: Theme.body
            font.weight: Font.Medium
            color: Theme.primary
        }
        Text {
            objectName: "detailBody"
            visible: text !== ""
            width: parent.width
            padding: 12
            topPadding: 0
            text: detail.viewModel.bodyText
            wrapMode: Text.Wrap
            font.pixelSize: Theme.callout
            color: Theme.secondary
        }
        FormRow {
            visible: detail.viewModel.dueText !== ""
            label: "Срок"
            separated: true
            Text {
                text: detail.viewModel.dueText
                font.pixelSize: Theme.body
                color: Theme.secondary
            }
        }
        FormRow {
            label: "Статус"
            separated: true
            ChoicePicker {
                objectName: "detailStatusPicker"
                Accessible.name: "Статус"
                choices: detail.viewModel.statusChoices
                chosen: detail.viewModel.statusIndex
                onPicked: index => detail.viewModel.chooseStatus(index)
            }
        }
    }

    FormSection {
        objectName: "checklistSection"
        visible: entries.count > 0
        title: "Подзадачи"
        Repeater {
            id: entries
            model: detail.viewModel.checklist
            // A CheckBox for its role; the checklist, not the click, decides what it shows.
            CheckBox {
                id: entry

                required property int index
                required property string entryId
                required property string title
                required property bool done

                objectName: "entry:" + entryId
                Accessible.name: title
                checked: done
                nextCheckState: function () {
                    return checkState
                }
                indicator: null
                spacing: 0
                width: parent.width
                padding: 10
                leftPadding: 12
                contentItem: Row {
                    spacing: 8
                    Symbol {
                        objectName: "entryMark"
                        anchors.verticalCenter: parent.verticalCenter
                        symbol: entry.done ? "checkmark.circle.fill" : "circle"
                        size: Theme.title3
                        color: entry.done ? Theme.green : Theme.accentText
                    }
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: entry.title
                        font.pixelSize: Theme.body
                        color: Theme.primary
                    }
                }
                onClicked: detail.viewModel.toggleChecklist(entryId)

                Rectangle {
                    visible: entry.index > 0
                    x: 12
                    width: parent.width - 12
                    height: 1
                    color: Theme.outline
                }
                FocusRing {
                    visible: entry.visualFocus
                }
            }
        }
    }
}
