import QtQuick
import QtQuick.Controls
import Ondrel.UI

// A borderless button that is only its text, in the accent colour: the buttons of a sheet's
// header. Disabled, it greys out.
AbstractButton {
    id: button

    property bool bold: false

    padding: 4
    font.pixelSize: Theme.body
    font.weight: bold ? Font.DemiBold : Font.Normal
    contentItem: Text {
        text: button.text
        font: button.font
        color: button.enabled ? Theme.accentText : Theme.secondary
        opacity: button.enabled ? (button.down ? 0.6 : 1) : 0.6
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    FocusRing {
        visible: button.visualFocus
        cornerRadius: 4
    }
}
