import QtQuick
import QtQuick.Controls
import Ondrel.UI

// A menu entry with a symbol before its text; a destructive one is drawn in red.
MenuItem {
    id: entry

    required property string symbol
    property bool destructive: false

    contentItem: Row {
        spacing: 8
        Symbol {
            anchors.verticalCenter: parent.verticalCenter
            symbol: entry.symbol
            color: label.color
        }
        Text {
            id: label
            anchors.verticalCenter: parent.verticalCenter
            text: entry.text
            font.pixelSize: Theme.body
            color: entry.destructive ? Theme.red : Theme.primary
        }
    }
}
