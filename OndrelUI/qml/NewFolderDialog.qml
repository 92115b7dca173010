import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ondrel.UI

// The "Новая папка" dialog: a name field, "Создать" and "Отмена". Either way the field is
// emptied; a blank name is passed on too, and the view model ignores it.
Dialog {
    id: dialog

    signal create(string name)

    title: "Новая папка"
    modal: true
    anchors.centerIn: Overlay.overlay
    width: 300
    padding: 20
    topPadding: 8
    onOpened: nameField.forceActiveFocus()
    onAccepted: create(nameField.text)
    onClosed: nameField.clear()

    background: Rectangle {
        radius: 12
        color: Theme.odCard
        border.color: Theme.outline
    }
    header: Text {
        topPadding: 20
        leftPadding: 20
        rightPadding: 20
        text: dialog.title
        font.pixelSize: Theme.headline
        font.weight: Font.Bold
        color: Theme.primary
        horizontalAlignment: Text.AlignHCenter
    }

    contentItem: TextField {
        id: nameField
        objectName: "folderNameField"
        placeholderText: "Название"
        placeholderTextColor: Theme.secondary
        font.pixelSize: Theme.body
        color: Theme.primary
        padding: 7
        leftPadding: 9
        background: Rectangle {
            radius: 6
            color: Theme.odCard
            border.width: nameField.activeFocus ? 2 : 1
            border.color: nameField.activeFocus
                          ? Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.6)
                          : Theme.outline
        }
        onAccepted: dialog.accept()
    }

    footer: RowLayout {
        spacing: 8
        DialogButton {
            objectName: "cancelFolderButton"
            text: "Отмена"
            onClicked: dialog.reject()
        }
        DialogButton {
            objectName: "createFolderButton"
            text: "Создать"
            prominent: true
            onClicked: dialog.accept()
        }
    }

    // Both buttons share the footer's width, as in a system alert.
    component DialogButton: Button {
        id: button

        property bool prominent: false

        Layout.fillWidth: true
        Layout.margins: 0
        Layout.bottomMargin: 16
        Layout.leftMargin: prominent ? 0 : 20
        Layout.rightMargin: prominent ? 20 : 0
        font.pixelSize: Theme.body
        contentItem: Text {
            text: button.text
            font: button.font
            color: button.prominent ? "white" : Theme.primary
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        background: Rectangle {
            implicitHeight: 28
            radius: 6
            color: button.prominent ? Theme.accent : Qt.rgba(0, 0, 0, button.down ? 0.12 : 0.06)
        }
    }
}
