import QtQuick
import Ondrel.UI

// One group of a form: an optional caption above a rounded box holding its rows.
Column {
    id: section

    property string title
    default property alias rows: box.data

    width: parent ? parent.width : 0
    spacing: 6

    Text {
        visible: section.title !== ""
        leftPadding: 4
        text: section.title
        font.pixelSize: Theme.caption
        font.weight: Font.DemiBold
        color: Theme.secondary
    }

    Rectangle {
        width: section.width
        height: box.implicitHeight
        radius: 10
        color: Theme.odCard
        border.color: Theme.outline

        Column {
            id: box
            width: parent.width
        }
    }
}
