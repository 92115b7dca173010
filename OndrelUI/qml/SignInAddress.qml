import QtQuick
import QtQuick.Controls
import Ondrel.UI

// The address a pending sign-in opened, selectable, with a button that copies it: for when no
// browser came up, or one came up elsewhere. Any browser that opens it completes the sign-in.
Column {
    id: block

    required property string address

    spacing: 6

    ClipboardCopy {
        id: clipboard
    }

    Text {
        width: block.width
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.Wrap
        text: "Браузер не открылся? Открой эту ссылку в любом браузере:"
        font.pixelSize: Theme.caption
        color: Theme.secondary
    }
    TextEdit {
        objectName: "signInAddress"
        width: block.width
        horizontalAlignment: TextEdit.AlignHCenter
        wrapMode: TextEdit.WrapAnywhere
        text: block.address
        readOnly: true
        selectByMouse: true
        font.pixelSize: Theme.caption
        color: Theme.primary
        selectionColor: Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.3)
        selectedTextColor: Theme.primary
    }
    AbstractButton {
        id: copyButton
        objectName: "copySignInAddressButton"
        text: "Скопировать ссылку"
        anchors.horizontalCenter: parent.horizontalCenter
        contentItem: Row {
            spacing: 4
            Symbol {
                anchors.verticalCenter: parent.verticalCenter
                symbol: clipboard.copied ? "checkmark" : "doc.on.doc"
                size: Theme.callout
                color: clipboard.copied ? Theme.green : Theme.accentText
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: copyButton.text
                font.pixelSize: Theme.callout
                color: Theme.accentText
            }
        }
        onClicked: clipboard.copy(block.address)
    }
}
