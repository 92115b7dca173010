import QtQuick
import QtQuick.Controls
import Ondrel.UI

// One line across the window while the keyring refuses the sign-in and the settings file keeps
// it instead; the cross hides it for this run.
Rectangle {
    id: notice

    required property AppGate gate

    objectName: "keyringNotice"
    visible: notice.gate.keyringRefused
    height: visible ? row.implicitHeight + 2 * 8 : 0
    // An orange wash over the screen's own background, whatever the notice is laid over.
    color: Theme.odBackground

    Rectangle {
        anchors.fill: parent
        color: Theme.tint(Theme.orange, 0.08)
    }

    Row {
        id: row
        x: 16
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width - 2 * 16
        spacing: 8

        Symbol {
            id: warning
            anchors.verticalCenter: parent.verticalCenter
            symbol: "exclamationmark.triangle.fill"
            size: Theme.callout
            color: Theme.orange
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            width: row.width - warning.width - close.width - 2 * row.spacing
            wrapMode: Text.Wrap
            text: "Связка ключей недоступна: вход хранится в файле настроек, открытом только вам."
            font.pixelSize: Theme.callout
            color: Theme.primary
        }
        AbstractButton {
            id: close
            objectName: "dismissKeyringNotice"
            Accessible.name: "Скрыть"
            anchors.verticalCenter: parent.verticalCenter
            contentItem: Symbol {
                symbol: "xmark"
                size: Theme.callout
                color: Theme.secondary
            }
            onClicked: notice.gate.dismissKeyringNotice()
        }
    }
}
