import QtQuick
import QtQuick.Controls

// A sheet's grouped form: its sections one under the other, scrolling when they do not fit.
// A control that takes the keyboard's focus is scrolled into view.
Flickable {
    id: form

    default property alias sections: column.data

    anchors.fill: parent
    contentHeight: column.implicitHeight + 2 * 16
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar {}

    Column {
        id: column
        x: 20
        y: 16
        width: form.width - 2 * 20
        spacing: 18
    }

    Connections {
        target: form.Window.window
        function onActiveFocusItemChanged() {
            let focused = form.Window.activeFocusItem
            let inside = focused
            while (inside && inside !== form.contentItem)
                inside = inside.parent
            if (!inside)
                return
            const top = form.contentItem.mapFromItem(focused, 0, 0).y - 16
            const bottom = top + focused.height + 2 * 16
            const end = Math.max(0, form.contentHeight - form.height)
            if (top < form.contentY)
                form.contentY = Math.max(0, top)
            else if (bottom > form.contentY + form.height)
                form.contentY = Math.min(end, bottom - form.height)
        }
    }
}
