import QtQuick
import QtQuick.Controls
import Ondrel.UI

// The microphone: a gradient circle that turns red with a stop symbol while recording, ringed
// by a circle that grows with the input level. A disabled button does not react.
Item {
    id: mic

    required property bool isRecording
    required property real level
    required property bool disabled
    property string toolTip

    signal action

    implicitWidth: 44
    implicitHeight: 44

    Rectangle {
        objectName: "levelRing"
        anchors.centerIn: parent
        visible: mic.isRecording
        // The stroke is centred on a circle of 44 + 16 × level.
        width: 44 + 16 * mic.level + 3
        height: width
        radius: width / 2
        color: "transparent"
        border.width: 3
        border.color: Theme.tint(Theme.red, 0.4)
        Behavior on width {
            NumberAnimation { duration: 150; easing.type: Easing.InOutQuad }
        }
    }

    AbstractButton {
        id: button
        objectName: "micButton"
        Accessible.name: mic.isRecording ? "Остановить запись" : "Записать голосом"
        anchors.fill: parent
        enabled: !mic.disabled
        opacity: enabled ? 1 : 0.4
        ToolTip.visible: hovered && mic.toolTip !== ""
        ToolTip.delay: 600
        ToolTip.text: mic.toolTip
        background: Item {
            GradientFill {
                anchors.fill: parent
                radius: width / 2
                visible: !mic.isRecording
            }
            Rectangle {
                anchors.fill: parent
                radius: width / 2
                color: Theme.redFill
                visible: mic.isRecording
            }
        }
        contentItem: Symbol {
            symbol: mic.isRecording ? "stop.fill" : "mic.fill"
            size: 16
            color: Theme.textOnAccent
        }
        onClicked: mic.action()

        FocusRing {
            visible: button.visualFocus
            cornerRadius: 22
        }
    }
}
