import QtQuick
import QtQuick.Controls
import Ondrel.UI

// A pop-up picker over a ChoiceListModel. It shows the chosen row (`chosen`, -1 for none) and
// reports a pick; the owner decides what is chosen, so after a pick the picker follows `chosen`
// again.
ComboBox {
    id: picker

    required property ChoiceListModel choices
    required property int chosen

    signal picked(int index)

    implicitWidth: 220
    model: choices
    textRole: "label"
    valueRole: "value"
    currentIndex: chosen
    font.pixelSize: Theme.body
    // The style draws the chosen label and the pop-up's rows from the palette, light by default.
    palette.buttonText: Theme.primary
    palette.text: Theme.primary
    palette.windowText: Theme.primary
    palette.window: Theme.odCard
    palette.base: Theme.odCard
    onActivated: index => {
        picked(index)
        currentIndex = Qt.binding(() => picker.chosen)
    }

    // The icon font's glyph, as everywhere else: the style's bitmap arrows would go through
    // Qt 6.4's pixmap cache, which is never freed at exit and trips the leak checker.
    indicator: Symbol {
        x: picker.width - width - 8
        y: Math.round((picker.height - height) / 2)
        symbol: "chevron.up.chevron.down"
        size: Theme.body
        color: Theme.secondary
    }

    background: Rectangle {
        implicitHeight: 28
        radius: 6
        color: picker.down ? Theme.pressed : Theme.odCard
        border.color: picker.visualFocus ? Theme.tint(Theme.accent, 0.6)
                                         : Theme.outline
        border.width: picker.visualFocus ? 2 : 1
    }
}
