import QtQuick
import Ondrel.UI

// A symbol followed by a short text, both in one colour and text style.
Row {
    id: label

    required property string symbol
    required property string text
    property real size: Theme.caption2
    property color color: Theme.secondary
    property int weight: Font.Normal

    spacing: 3

    Symbol {
        anchors.verticalCenter: parent.verticalCenter
        symbol: label.symbol
        size: label.size
        color: label.color
    }
    Text {
        anchors.verticalCenter: parent.verticalCenter
        text: label.text
        font.pixelSize: label.size
        font.weight: label.weight
        color: label.color
    }
}
