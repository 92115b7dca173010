import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ondrel.UI

// The main screen once signed in: the header, the folder tabs, the selected folder's tasks (or
// the empty state) and the bottom panel, with the sheets and the "Новая папка" dialog over them.
// Every action starts one view-model action. The actions with a keyboard shortcut are offered to
// the window's menu; while a sheet or dialog is open, only its own keys work, and once it
// closes the keyboard goes back where it was.
Rectangle {
    id: root

    required property AppViewModel viewModel
    required property AudioRecorder recorder
    required property UpdateState updateState
    // Checks for an update or installs the one found; null hides both update buttons.
    property AppUpdater updater: null
    // Record and write requests from outside the window, performed as the menu's actions.
    property CaptureRequests capture: null

    readonly property Action nextFolderAction: Action {
        text: "Следующая папка"
        shortcut: "Ctrl+Tab"
        onTriggered: root.viewModel.selectFolderBy(1)
    }
    readonly property Action previousFolderAction: Action {
        text: "Предыдущая папка"
        shortcut: "Ctrl+Shift+Tab"
        onTriggered: root.viewModel.selectFolderBy(-1)
    }
    readonly property Action newFolderAction: Action {
        text: "Новая папка…"
        shortcut: "Ctrl+N"
        onTriggered: newFolderDialog.open()
    }
    readonly property Action writeAction: Action {
        text: "Написать задачу"
        shortcut: "Ctrl+L"
        onTriggered: panel.focusInput()
    }
    readonly property Action recordAction: Action {
        text: root.recorder.isRecording ? "Остановить запись" : "Записать голосом"
        shortcut: "Ctrl+R"
        enabled: root.recorder.isRecording || !root.viewModel.isBusy
        onTriggered: root.viewModel.captureInput.toggleRecording(root.recorder)
    }
    readonly property Action historyAction: Action {
        text: "История записей"
        shortcut: "Ctrl+H"
        onTriggered: sheets.showHistory()
    }
    readonly property Action searchAction: Action {
        text: "Найти задачу"
        shortcut: "Ctrl+F"
        onTriggered: root.openSearch()
    }
    // Offered for a few seconds after a task is completed, reopened or deleted; Ctrl+Z while
    // it shows.
    readonly property Action undoAction: Action {
        text: "Отменить"
        enabled: root.viewModel.offline.undo.shown
        onTriggered: root.viewModel.offline.undo.undo()
    }
    readonly property Action reloadAction: Action {
        text: "Обновить список"
        shortcut: "F5"
        onTriggered: root.viewModel.showScreen()
    }

    // The search bar is open over the list.
    property bool searching: false

    function openSearch() {
        searching = true
        searchBar.focusField()
    }
    // Closing restores the selected folder's whole list.
    function closeSearch() {
        searching = false
        search.query = ""
        search.allFolders = false
        taskList.forceActiveFocus()
    }
    // A task found in another folder opens there.
    function openTask(taskId, folderId) {
        if (folderId === "" || folderId === viewModel.selectedFolderId)
            return sheets.editTask(taskId)
        closeSearch()
        viewModel.selectFolder(folderId).then(() => sheets.editTask(taskId))
    }

    // The screen's item that last had the keyboard's focus.
    property Item keyboardHome: null

    // Whether `item` lies inside `outer` (or is it).
    function contains(outer, item) {
        for (let at = item; at; at = at.parent) {
            if (at === outer)
                return true
        }
        return false
    }
    // A closed popup leaves the focus with the window itself: give it back to the screen.
    function returnKeyboard() {
        const now = Window.activeFocusItem
        if (keyboardHome && keyboardHome.visible && keyboardHome.enabled
                && (!now || contains(now, root)))
            keyboardHome.forceActiveFocus()
    }

    color: Theme.odBackground
    Component.onCompleted: viewModel.showScreen()

    Connections {
        target: root.Window.window
        function onActiveFocusItemChanged() {
            const now = root.Window.activeFocusItem
            if (now && now !== root && root.contains(root, now))
                root.keyboardHome = now
            else if (!now || root.contains(now, root))
                keyboardReturn.restart()
        }
    }
    Connections {
        target: root.capture
        function onRecordRequested() {
            root.recordAction.trigger()
        }
        function onWriteRequested() {
            root.writeAction.trigger()
        }
    }

    // Once the closing popup is done with the focus.
    Timer {
        id: keyboardReturn
        interval: 0
        onTriggered: root.returnKeyboard()
    }

    // A reminder's notification was clicked: its task's edit sheet.
    Connections {
        target: root.viewModel
        function onEditRequested(taskId) {
            sheets.editTask(taskId)
        }
    }

    Shortcut {
        sequence: "Ctrl+Z"
        enabled: root.undoAction.enabled
        onActivated: root.undoAction.trigger()
    }

    // Ctrl+1 … Ctrl+9: the folder at that place of the tabs.
    Repeater {
        model: 9
        Item {
            id: folderKey
            required property int index
            Shortcut {
                sequence: "Ctrl+" + (folderKey.index + 1)
                onActivated: root.viewModel.selectFolderAt(folderKey.index)
            }
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        RootHeader {
            Layout.fillWidth: true
            updateAvailable: root.updateState.available
            updater: root.updater
            searchToolTip: root.searchAction.text + " (" + root.searchAction.shortcut + ")"
            onSortChosen: byDeadline => root.viewModel.changeSort(byDeadline)
            onSearch: root.openSearch()
        }

        // Without the service: since when the lists are not updated.
        Text {
            objectName: "connectionLine"
            Layout.fillWidth: true
            visible: text !== ""
            text: root.viewModel.offline.connection.line
            horizontalAlignment: Text.AlignHCenter
            topPadding: 2
            bottomPadding: 2
            font.pixelSize: Theme.caption2
            color: Theme.secondary
        }

        FolderTabsView {
            Layout.fillWidth: true
            folders: root.viewModel.folderModel
            addToolTip: root.newFolderAction.text + " (" + root.newFolderAction.shortcut + ")"
            onSelect: folderId => root.viewModel.selectFolder(folderId)
            onAdd: newFolderDialog.open()
            onDelete_: folderId => sheets.deleteFolder(folderId)
        }

        SearchBar {
            id: searchBar
            Layout.fillWidth: true
            visible: root.searching
            results: search
            onClose: root.closeSearch()
            onNavigate: key => taskList.navigate(key)
        }

        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            EmptyStateView {
                anchors.fill: parent
                visible: !root.searching && taskList.count === 0
            }
            Text {
                anchors.centerIn: parent
                visible: root.searching && search.resultCount === 0 && !search.loading
                         && search.query.trim() !== ""
                text: "Ничего не найдено"
                font.pixelSize: Theme.callout
                color: Theme.secondary
            }

            TaskListView {
                id: taskList
                anchors.fill: parent
                visible: count > 0
                viewModel: root.viewModel
                results: search
                searching: root.searching
                onOpen: (taskId, folderId) => root.openTask(taskId, folderId)
                onDetails: taskId => sheets.showDetails(taskId)
                onSearchEscaped: root.closeSearch()
            }
        }

        BottomPanel {
            id: panel
            Layout.fillWidth: true
            viewModel: root.viewModel
            recorder: root.recorder
            micToolTip: root.recordAction.text + " (" + root.recordAction.shortcut + ")"
            undoAction: root.undoAction
        }
    }

    NewFolderDialog {
        id: newFolderDialog
        objectName: "newFolderDialog"
        onCreate: name => root.viewModel.addFolder(name)
    }

    LiveRegion {
        id: announcer
    }
    Connections {
        target: root.recorder
        function onIsRecordingChanged() {
            announcer.announce(root.recorder.isRecording ? "Идёт запись" : "Запись остановлена")
        }
    }
    Connections {
        target: root.viewModel
        function onAssistantAnswerChanged() {
            announcer.announce(root.viewModel.assistantAnswer)
        }
    }

    TaskSearchModel {
        id: search
        viewModel: root.viewModel
    }

    RootSheets {
        id: sheets
        viewModel: root.viewModel
        historyTitle: root.historyAction.text
    }
}
