import QtQuick
import QtQuick.Controls
import Ondrel.UI

// The "Новая папка" dialog: a name field, "Создать" and "Отмена". Either way the field is
// emptied; a blank name is passed on too, and the view model ignores it.
AlertDialog {
    id: dialog

    signal create(string name)

    title: "Новая папка"
    acceptText: "Создать"
    cancelName: "cancelFolderButton"
    acceptName: "createFolderButton"
    onOpened: nameField.forceActiveFocus()
    onAccepted: create(nameField.text)
    onClosed: nameField.clear()

    // The dialog's one content item: the popup takes its size from it.
    TextField {
        id: nameField
        objectName: "folderNameField"
        Accessible.name: "Название"
        width: parent.width
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
                          ? Theme.tint(Theme.accent, 0.6)
                          : Theme.outline
        }
        onAccepted: dialog.accept()
    }
}
