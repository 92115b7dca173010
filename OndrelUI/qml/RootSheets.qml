import QtQuick
import Ondrel.UI

// The root screen's sheets, each shown while it has something to show: the edit sheet for a
// task, the delete sheet for a folder, the history, and a task's detail. The view model opens
// what each works on; a sheet goes away when it closes, however it was closed. Closing the
// detail reloads the list, which may show a status changed there.
Item {
    id: sheets

    required property AppViewModel viewModel
    required property string historyTitle

    property TaskEditForm taskForm: null
    property FolderDeleteForm folderForm: null
    property CaptureHistoryViewModel history: null
    property TaskDetailViewModel detail: null
    // Which sheet is up (only one at a time: each is modal).
    property string showing: ""

    function editTask(taskId) {
        taskForm = viewModel.openTaskEditor(taskId)
        show(taskForm, "edit")
    }
    function deleteFolder(folderId) {
        folderForm = viewModel.openFolderDeletion(folderId)
        show(folderForm, "folder")
    }
    function showHistory() {
        history = viewModel.openHistory()
        show(history, "history")
    }
    function showDetails(taskId) {
        detail = viewModel.openTaskDetail(taskId)
        show(detail, "detail")
    }
    function show(subject, sheet) {
        if (subject !== null)
            showing = sheet
    }

    Loader {
        active: sheets.showing === "edit"
        sourceComponent: TaskEditSheet {
            form: sheets.taskForm
            Component.onCompleted: open()
            onClosed: sheets.showing = ""
        }
    }
    Loader {
        active: sheets.showing === "folder"
        sourceComponent: FolderDeleteSheet {
            form: sheets.folderForm
            Component.onCompleted: open()
            onClosed: sheets.showing = ""
        }
    }
    Loader {
        active: sheets.showing === "history"
        sourceComponent: Sheet {
            objectName: "historySheet"
            title: sheets.historyTitle
            trailingText: "Готово"
            onTrailingClicked: close()
            Component.onCompleted: open()
            onOpened: historyList.forceActiveFocus()
            onClosed: sheets.showing = ""
            HistoryView {
                id: historyList
                anchors.fill: parent
                viewModel: sheets.history
            }
        }
    }
    Loader {
        active: sheets.showing === "detail"
        sourceComponent: Sheet {
            objectName: "detailSheet"
            title: "Задача"
            trailingText: "Готово"
            preferredHeight: headerHeight + detailForm.contentHeight
            onTrailingClicked: close()
            Component.onCompleted: open()
            onClosed: {
                sheets.showing = ""
                sheets.viewModel.reloadTasks()
            }
            TaskDetailView {
                id: detailForm
                viewModel: sheets.detail
            }
        }
    }
}
