import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ondrel.UI

// A small modal question in the middle of the window: its title, its content if any, and two
// buttons sharing the footer's width, as in a system alert: "Отмена" and the accepting one,
// red when it destroys something. Escape answers "Отмена".
Dialog {
    id: alert

    property string acceptText
    property bool destructive: false
    property string cancelName
    property string acceptName

    modal: true
    focus: true
    anchors.centerIn: Overlay.overlay
    width: 300
    padding: 20
    topPadding: 8

    background: Rectangle {
        radius: 12
        color: Theme.odCard
        border.color: Theme.outline
    }
    header: Text {
        topPadding: 20
        bottomPadding: alert.contentChildren.length > 0 ? 0 : 12
        leftPadding: 20
        rightPadding: 20
        text: alert.title
        wrapMode: Text.Wrap
        font.pixelSize: Theme.headline
        font.weight: Font.Bold
        color: Theme.primary
        horizontalAlignment: Text.AlignHCenter
    }
    footer: RowLayout {
        spacing: 8
        DialogButton {
            objectName: alert.cancelName
            text: "Отмена"
            onClicked: alert.reject()
        }
        DialogButton {
            objectName: alert.acceptName
            text: alert.acceptText
            fill: alert.destructive ? Theme.redFill : Theme.accent
            onClicked: alert.accept()
        }
    }

    component DialogButton: Button {
        id: button

        // The accepting button's colour; the other one is a light grey.
        property color fill: "transparent"
        readonly property bool prominent: fill.a > 0

        Layout.fillWidth: true
        Layout.margins: 0
        Layout.bottomMargin: 16
        Layout.leftMargin: prominent ? 0 : 20
        Layout.rightMargin: prominent ? 20 : 0
        font.pixelSize: Theme.body
        contentItem: Text {
            text: button.text
            font: button.font
            color: button.prominent ? Theme.textOnAccent : Theme.primary
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        background: Rectangle {
            implicitHeight: 28
            radius: 6
            color: button.prominent ? button.fill : button.down ? Theme.outline : Theme.pressed
            opacity: button.prominent && button.down ? 0.8 : 1
        }

        FocusRing {
            visible: button.visualFocus
        }
    }
}
