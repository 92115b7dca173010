import QtQuick
import QtQuick.Controls
import Ondrel.UI

// The sheet that edits one task: title, description, status, priority, folder and deadline,
// and the task's deletion after a confirmation. The form holds the values and the rules; the
// sheet closes on "Отмена", and once the form reports that its save or deletion has returned.
// Ctrl+Return presses "Готово".
Sheet {
    id: sheet

    required property TaskEditForm form

    objectName: "taskEditSheet"
    title: "Задача"
    leadingText: "Отмена"
    trailingText: "Готово"
    trailingEnabled: form.canSave
    preferredHeight: headerHeight + editForm.contentHeight
    onLeadingClicked: close()
    onTrailingClicked: form.save()
    onOpened: {
        titleField.forceActiveFocus()
        titleField.cursorPosition = titleField.length
    }

    Connections {
        target: sheet.form
        function onFinished() {
            sheet.close()
        }
    }
    Shortcut {
        sequences: ["Ctrl+Return", "Ctrl+Enter"]
        enabled: sheet.form.canSave && !confirmation.visible
        onActivated: sheet.form.save()
    }

    ScrollingForm {
        id: editForm

        FormSection {
            title: "Текст"
            ScrollView {
                width: parent.width
                // One to five lines, then it scrolls.
                height: Math.min(titleField.implicitHeight, 5 * titleField.font.pixelSize * 1.4 + 16)
                TextArea {
                    id: titleField
                    objectName: "titleField"
                    Accessible.name: "Название"
                    placeholderText: "Название"
                    text: sheet.form.title
                    onTextChanged: sheet.form.title = text
                    wrapMode: TextEdit.Wrap
                    padding: 8
                    leftPadding: 12
                    font.pixelSize: Theme.body
                    color: Theme.primary
                    placeholderTextColor: Theme.secondary
                    background: null
                }
            }
        }

        FormSection {
            title: "Описание"
            TextArea {
                objectName: "bodyField"
                Accessible.name: "Описание"
                width: parent.width
                height: Math.max(90, implicitHeight)
                placeholderText: "Развёрнутое описание (необязательно)"
                text: sheet.form.bodyText
                onTextChanged: sheet.form.bodyText = text
                wrapMode: TextEdit.Wrap
                topPadding: 8
                leftPadding: 12
                rightPadding: 12
                font.pixelSize: Theme.body
                color: Theme.primary
                placeholderTextColor: Theme.secondary
                background: null
            }
        }

        FormSection {
            title: "Свойства"
            FormRow {
                label: "Статус"
                ChoicePicker {
                    objectName: "statusPicker"
                    Accessible.name: "Статус"
                    choices: sheet.form.statusChoices
                    chosen: sheet.form.statusIndex
                    displayText: sheet.form.statusLabel
                    onPicked: index => sheet.form.statusIndex = index
                }
            }
            FormRow {
                label: "Приоритет"
                separated: true
                ChoicePicker {
                    objectName: "priorityPicker"
                    Accessible.name: "Приоритет"
                    choices: sheet.form.priorityChoices
                    chosen: sheet.form.priorityIndex
                    onPicked: index => sheet.form.priorityIndex = index
                }
            }
            FormRow {
                label: "Папка"
                separated: true
                ChoicePicker {
                    objectName: "folderPicker"
                    Accessible.name: "Папка"
                    choices: sheet.form.folderChoices
                    chosen: sheet.form.folderIndex
                    onPicked: index => sheet.form.folderIndex = index
                }
            }
        }

        FormSection {
            title: "Дедлайн"
            FormRow {
                label: "Есть дедлайн"
                ToggleSwitch {
                    objectName: "deadlineSwitch"
                    Accessible.name: "Есть дедлайн"
                    Accessible.role: Accessible.CheckBox
                    checked: sheet.form.hasDeadline
                    onToggled: sheet.form.hasDeadline = checked
                }
            }
            FormRow {
                visible: sheet.form.hasDeadline
                label: "Дата"
                separated: true
                DueDatePicker {
                    objectName: "datePicker"
                    Accessible.name: "Дата: " + text
                    form: sheet.form
                }
            }
        }

        DestructiveButton {
            objectName: "deleteTaskButton"
            text: "Удалить задачу"
            enabled: !sheet.form.saving
            onClicked: confirmation.open()
        }
    }

    AlertDialog {
        id: confirmation
        objectName: "deleteConfirmation"
        title: "Удалить задачу?"
        acceptText: "Удалить"
        destructive: true
        padding: 0
        topPadding: 8
        cancelName: "keepTaskButton"
        acceptName: "confirmDeleteButton"
        onAccepted: sheet.form.remove()
    }
}
