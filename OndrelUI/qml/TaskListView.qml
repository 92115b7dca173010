import QtQuick
import QtQuick.Controls
import Ondrel.UI

// The selected folder's task list (or the search's results), which takes the keyboard for its
// cards: the arrows move between cards past the "Выполнено" header, Space completes or reopens
// the current card's task, Return opens it, and the menu key (or Shift+F10) opens its context
// menu. The search field hands the arrows and Return here while it keeps the keyboard.
ListView {
    id: list

    required property AppViewModel viewModel
    required property TaskSearchModel results
    property bool searching: false
    // The results only while searching: the folder's own rows keep a moved card (one just
    // completed) current, which a filtering proxy turns into a reset.
    readonly property var rows: searching ? results : viewModel.taskRows

    signal open(string taskId, string folderId)
    signal details(string taskId)
    signal searchEscaped

    // Up, Down, Return: moves between the cards or opens the current one; false for other keys.
    function navigate(key) {
        if (key === Qt.Key_Down || key === Qt.Key_Up)
            currentIndex = rows.adjacentTaskRow(currentIndex, key === Qt.Key_Down ? 1 : -1)
        else if (key === Qt.Key_Return || key === Qt.Key_Enter) {
            if (rows.taskIdAtRow(currentIndex) === "")
                currentIndex = rows.adjacentTaskRow(-1, 1)
            if (currentIndex >= 0)
                open(rows.taskIdAtRow(currentIndex),
                     searching ? results.folderIdAtRow(currentIndex) : "")
        } else
            return false
        return true
    }

    objectName: "taskList"
    clip: true
    model: rows
    // A new result set starts at its first card.
    onCountChanged: if (searching) currentIndex = rows.adjacentTaskRow(-1, 1)
    onModelChanged: currentIndex = searching ? rows.adjacentTaskRow(-1, 1) : -1
    Accessible.role: Accessible.List
    Accessible.name: "Задачи"
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
        if (activeFocus && rows.taskIdAtRow(currentIndex) === "")
            currentIndex = rows.adjacentTaskRow(-1, 1)
    }

    Keys.onPressed: event => {
        if (navigate(event.key))
            event.accepted = true
        else if (event.key === Qt.Key_Space)
            viewModel.toggleTask(rows.taskIdAtRow(currentIndex))
        else if (event.key === Qt.Key_Escape && searching)
            searchEscaped()
        else if (event.key === Qt.Key_Menu
                 || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier)))
            (currentItem as TaskListRow)?.openMenu()
        else
            return
        event.accepted = true
    }

    delegate: TaskListRow {
        width: ListView.view.width
        focused: ListView.isCurrentItem && (list.activeFocus || list.searching)
        onToggle: taskId => list.viewModel.toggleTask(taskId)
        onOpen: taskId => list.open(taskId,
                                   list.searching ? list.results.folderIdAtRow(index) : "")
        onDetails: taskId => list.details(taskId)
        onDelete_: taskId => list.viewModel.removeTask(taskId)
    }
    ScrollBar.vertical: ScrollBar {
        policy: ScrollBar.AsNeeded
    }
}
