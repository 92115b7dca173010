import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ondrel.UI

// The main screen once signed in: the header, the folder tabs, the selected folder's tasks (or
// the empty state) and the bottom panel. Every action starts one view-model action; the screen
// itself keeps only which task and which folder its sheets are about.
Rectangle {
    id: root

    required property AppViewModel viewModel
    required property AudioRecorder recorder
    required property UpdateState updateState
    // Starts an update check or installation; null hides both update buttons.
    property var checkUpdates: null

    // The task the edit sheet is open for and the folder the delete sheet asks about; empty
    // while closed.
    property string editingTaskId: ""
    property string deletingFolderId: ""

    color: Theme.odBackground
    Component.onCompleted: viewModel.showScreen()

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        RootHeader {
            Layout.fillWidth: true
            updateAvailable: root.updateState.available
            checkUpdates: root.checkUpdates
            onSortChosen: byDeadline => root.viewModel.changeSort(byDeadline)
        }

        FolderTabsView {
            Layout.fillWidth: true
            folders: root.viewModel.folderModel
            onSelect: folderId => root.viewModel.selectFolder(folderId)
            onAdd: newFolderDialog.open()
            onDelete_: folderId => root.deletingFolderId = folderId
        }

        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            EmptyStateView {
                anchors.fill: parent
                visible: root.viewModel.taskCount === 0
            }

            ListView {
                id: taskList
                objectName: "taskList"
                anchors.fill: parent
                visible: root.viewModel.taskCount > 0
                clip: true
                model: root.viewModel.taskRows
                spacing: 10
                topMargin: 12
                bottomMargin: 12
                reuseItems: true
                boundsBehavior: Flickable.StopAtBounds
                delegate: TaskListRow {
                    width: ListView.view.width
                    onToggle: taskId => root.viewModel.toggleTask(taskId)
                    onOpen: taskId => root.editingTaskId = taskId
                    onDelete_: taskId => root.viewModel.removeTask(taskId)
                }
                ScrollBar.vertical: ScrollBar {
                    policy: ScrollBar.AsNeeded
                }
            }
        }

        BottomPanel {
            Layout.fillWidth: true
            viewModel: root.viewModel
            recorder: root.recorder
        }
    }

    NewFolderDialog {
        id: newFolderDialog
        objectName: "newFolderDialog"
        onCreate: name => root.viewModel.addFolder(name)
    }
}
