import QtQuick
import QtQuick.Controls
import Ondrel.UI

// The selected folder's task list, which takes the keyboard for its cards: the arrows move
// between cards past the "Выполнено" header, Space completes or reopens the current card's
// task, Return opens it, and the menu key (or Shift+F10) opens its context menu.
ListView {
    id: list

    required property AppViewModel viewModel

    signal open(string taskId)
    signal details(string taskId)

    objectName: "taskList"
    clip: true
    model: viewModel.taskRows
    spacing: 10
    topMargin: 12
    bottomMargin: 12
    reuseItems: true
    boundsBehavior: Flickable.StopAtBounds
    activeFocusOnTab: true
    keyNavigationEnabled: false
    highlightFollowsCurrentItem: false
    currentIndex: -1
    onCurrentIndexChanged: if (currentIndex >= 0) positionViewAtIndex(currentIndex, ListView.Contain)
    onActiveFocusChanged: {
        if (activeFocus && viewModel.taskRows.taskIdAtRow(currentIndex) === "")
            currentIndex = viewModel.taskRows.adjacentTaskRow(-1, 1)
    }

    Keys.onPressed: event => {
        const rows = viewModel.taskRows
        const taskId = rows.taskIdAtRow(currentIndex)
        if (event.key === Qt.Key_Down || event.key === Qt.Key_Up)
            currentIndex = rows.adjacentTaskRow(currentIndex, event.key === Qt.Key_Down ? 1 : -1)
        else if (event.key === Qt.Key_Space)
            viewModel.toggleTask(taskId)
        else if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
            open(taskId)
        else if (event.key === Qt.Key_Menu
                 || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier)))
            (currentItem as TaskListRow)?.openMenu()
        else
            return
        event.accepted = true
    }

    delegate: TaskListRow {
        width: ListView.view.width
        focused: ListView.isCurrentItem && list.activeFocus
        onToggle: taskId => list.viewModel.toggleTask(taskId)
        onOpen: taskId => list.open(taskId)
        onDetails: taskId => list.details(taskId)
        onDelete_: taskId => list.viewModel.removeTask(taskId)
    }
    ScrollBar.vertical: ScrollBar {
        policy: ScrollBar.AsNeeded
    }
}
