import QtQuick
import Ondrel.UI

// A symbol of the icon font, named as in Theme.symbols, at the size of a text style.
Text {
    required property string symbol
    property real size: Theme.body

    text: Theme.symbols[symbol] ?? ""
    font.family: Theme.symbolFont
    font.pixelSize: Math.round(size * Theme.symbolScale)
    verticalAlignment: Text.AlignVCenter
    horizontalAlignment: Text.AlignHCenter
}
