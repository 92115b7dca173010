import QtQuick
import Ondrel.UI

// The sheet that deletes a folder after asking what becomes of its tasks: moved to another
// folder or deleted with it. The form holds the choice; the sheet closes on "Отмена", and once
// the form reports that the deletion has returned.
Sheet {
    id: sheet

    required property FolderDeleteForm form

    objectName: "folderDeleteSheet"
    title: "Удалить папку"
    leadingText: "Отмена"
    minimumWidth: 420
    preferredHeight: Math.max(440, headerHeight + deleteForm.contentHeight)
    onLeadingClicked: close()

    Connections {
        target: sheet.form
        function onFinished() {
            sheet.close()
        }
    }

    ScrollingForm {
        id: deleteForm

        FormSection {
            Row {
                padding: 12
                spacing: 8
                width: parent.width
                Symbol {
                    symbol: "exclamationmark.triangle.fill"
                    size: Theme.body
                    color: Theme.orange
                }
                Text {
                    objectName: "folderDeleteWarning"
                    width: parent.width - 2 * 12 - 8 - Theme.body * Theme.symbolScale
                    text: "Папка «" + sheet.form.folderName + "» будет удалена. Действие необратимо."
                    wrapMode: Text.Wrap
                    font.pixelSize: Theme.body
                    color: Theme.primary
                }
            }
        }

        FormSection {
            title: "Что сделать с задачами папки"
            Item {
                width: parent.width
                height: modes.height + 2 * 10
                SegmentedChoice {
                    id: modes
                    objectName: "folderDeleteMode"
                    x: 12
                    y: 10
                    width: parent.width - 2 * 12
                    firstText: "Перенести"
                    secondText: "Удалить все"
                    second: sheet.form.deletesTasks
                    onChosen: second => sheet.form.deletesTasks = second
                }
            }
            FormRow {
                visible: !sheet.form.deletesTasks && targets.count > 0
                label: "Перенести в"
                separated: true
                ChoicePicker {
                    id: targets
                    objectName: "targetPicker"
                    Accessible.name: "Перенести в"
                    choices: sheet.form.targets
                    chosen: sheet.form.targetIndex
                    onPicked: index => sheet.form.targetIndex = index
                }
            }
            Note {
                visible: !sheet.form.deletesTasks && targets.count === 0
                text: "Других папок нет — задачи останутся без папки."
                color: Theme.secondary
            }
            Note {
                visible: sheet.form.deletesTasks
                text: "Все задачи этой папки будут удалены безвозвратно."
                color: Theme.red
            }
        }

        DestructiveButton {
            objectName: "confirmFolderDeleteButton"
            text: sheet.form.deletesTasks ? "Удалить папку и задачи" : "Удалить папку"
            enabled: !sheet.form.working
            onClicked: sheet.form.confirm()
        }
    }

    component Note: Text {
        width: parent ? parent.width : 0
        padding: 12
        topPadding: 0
        wrapMode: Text.Wrap
        font.pixelSize: Theme.caption
    }
}
