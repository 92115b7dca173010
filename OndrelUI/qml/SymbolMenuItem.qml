import QtQuick
import QtQuick.Controls
import Ondrel.UI

// A menu entry, with a symbol before its text when it has one and its keyboard shortcut at the
// trailing edge (its action's, unless given); a destructive one is red.
MenuItem {
    id: entry

    property string symbol: ""
    property bool destructive: false
    property string keys: action ? action.shortcut : ""
    readonly property color tint: destructive ? Theme.red : Theme.primary

    // Named by its text whether or not a screen reader was active when the entry was made.
    Accessible.name: text

    topPadding: 5
    bottomPadding: 5
    leftPadding: 10
    rightPadding: 10

    // The entry's symbol and text, and its keys at the trailing edge.
    contentItem: Item {
        implicitWidth: children[0].implicitWidth + children[1].implicitWidth + 24
        implicitHeight: children[0].implicitHeight
        opacity: entry.enabled ? 1 : 0.4

        Row {
            anchors.verticalCenter: parent.verticalCenter
            spacing: 8
            Symbol {
                anchors.verticalCenter: parent.verticalCenter
                visible: entry.symbol !== ""
                symbol: entry.symbol
                color: entry.tint
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: entry.text
                font.pixelSize: Theme.body
                color: entry.tint
            }
        }
        Text {
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            text: entry.keys
            font.pixelSize: Theme.callout
            color: Theme.secondary
        }
    }
    arrow: Symbol {
        x: entry.width - width - entry.rightPadding
        y: (entry.height - height) / 2
        visible: entry.subMenu !== null
        symbol: "chevron.right"
        color: Theme.secondary
    }
    background: Rectangle {
        implicitWidth: 200
        radius: 5
        color: entry.highlighted ? Theme.tint(Theme.accent, 0.15)
                                 : "transparent"
    }
}
