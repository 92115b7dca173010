import QtQuick
import Ondrel.UI

// One row of the task list: a task's card, or the header above the finished tasks. Rows are
// recycled while scrolling; a row keeps its card when the next row it shows is a task too.
Item {
    id: row

    required property var model
    required property bool isHeader

    signal toggle(string taskId)
    signal open(string taskId)
    signal delete_(string taskId)

    implicitHeight: face.implicitHeight

    Loader {
        id: face
        x: 16
        width: row.width - 2 * 16
        sourceComponent: row.isHeader ? doneHeader : taskCard
    }

    Component {
        id: doneHeader
        Text {
            topPadding: 10
            leftPadding: 4
            rightPadding: 4
            text: "Выполнено"
            font.pixelSize: Theme.caption
            font.weight: Font.DemiBold
            color: Theme.secondary
        }
    }

    Component {
        id: taskCard
        TaskCard {
            objectName: "card:" + row.model.taskId
            task: row.model
            onToggle: row.toggle(row.model.taskId)
            onOpen: row.open(row.model.taskId)
            onDelete_: row.delete_(row.model.taskId)
        }
    }
}
