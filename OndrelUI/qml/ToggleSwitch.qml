import QtQuick
import QtQuick.Controls
import Ondrel.UI

// An on/off switch in the accent colour.
Switch {
    id: toggle

    padding: 0
    implicitWidth: 34
    implicitHeight: 20
    indicator: Rectangle {
        implicitWidth: 34
        implicitHeight: 20
        x: toggle.leftPadding
        y: (toggle.height - height) / 2
        radius: height / 2
        color: toggle.checked ? Theme.accent : Theme.track
        border.width: toggle.visualFocus ? 2 : 0
        border.color: Theme.tint(Theme.accent, 0.5)

        Rectangle {
            x: toggle.checked ? parent.width - width - 2 : 2
            y: 2
            width: parent.height - 4
            height: width
            radius: width / 2
            color: Theme.textOnAccent
            Behavior on x {
                NumberAnimation { duration: 120 }
            }
        }
    }
    contentItem: Item {}
}
