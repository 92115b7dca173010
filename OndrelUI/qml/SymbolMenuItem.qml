import QtQuick
import QtQuick.Controls
import Ondrel.UI

// A menu entry, with a symbol before its text when it has one; a destructive one is red.
MenuItem {
    id: entry

    property string symbol: ""
    property bool destructive: false

    topPadding: 5
    bottomPadding: 5
    leftPadding: 10
    rightPadding: 10

    contentItem: Row {
        spacing: 8
        Symbol {
            anchors.verticalCenter: parent.verticalCenter
            visible: entry.symbol !== ""
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
    background: Rectangle {
        implicitWidth: 200
        radius: 5
        color: entry.highlighted ? Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.15)
                                 : "transparent"
    }
}
