import QtQml
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ondrel.UI

// The updater's window: opens whenever the user starts a check and follows the updater from
// the check through the download to the hand-over. While a package is downloaded or verified
// it stays open; the download can be cancelled.
Dialog {
    id: dialog

    required property AppUpdater updater
    readonly property int phase: updater.state
    readonly property bool installing: phase === AppUpdater.Downloading
                                       || phase === AppUpdater.Verifying

    anchors.centerIn: parent
    width: Math.min(460, parent ? parent.width - 32 : 460)
    modal: true
    title: "Обновление Ondrel"
    closePolicy: installing ? Popup.NoAutoClose : Popup.CloseOnEscape
    onClosed: updater.dismiss()

    Connections {
        target: dialog.updater
        function onDialogRequested() {
            dialog.open()
        }
    }

    function statusText() {
        switch (phase) {
        case AppUpdater.Checking:
            return "Проверяю обновления…"
        case AppUpdater.UpToDate:
            return "Установлена последняя версия"
        case AppUpdater.UpdateFound:
            return "Доступна новая версия: " + updater.version
        case AppUpdater.Downloading:
            return "Скачиваю версию " + updater.version + "…"
        case AppUpdater.Verifying:
            return "Проверяю подпись пакета…"
        case AppUpdater.HandedOver:
            return "Пакет проверен и передан системе для установки"
        case AppUpdater.Failed:
            return updater.errorText
        }
        return ""
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 12

        RowLayout {
            spacing: 10
            Layout.fillWidth: true

            BusyIndicator {
                objectName: "busyIndicator"
                visible: dialog.phase === AppUpdater.Checking
                         || dialog.phase === AppUpdater.Verifying
                running: visible
                Layout.preferredWidth: 32
                Layout.preferredHeight: 32
            }
            Label {
                objectName: "statusText"
                text: dialog.statusText()
                wrapMode: Text.Wrap
                textFormat: Text.PlainText
                font.bold: dialog.phase === AppUpdater.UpdateFound
                Layout.fillWidth: true
            }
        }

        ScrollView {
            visible: dialog.phase === AppUpdater.UpdateFound && dialog.updater.notes !== ""
            clip: true
            Layout.fillWidth: true
            Layout.preferredHeight: Math.min(notes.implicitHeight, 220)

            Label {
                id: notes
                objectName: "notesText"
                width: dialog.availableWidth
                text: dialog.updater.notes
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
            }
        }

        Button {
            objectName: "notesLinkButton"
            visible: dialog.phase === AppUpdater.UpdateFound
                     && dialog.updater.notesLink !== ""
            flat: true
            text: "Что нового в этой версии"
            onClicked: Qt.openUrlExternally(dialog.updater.notesLink)
        }

        ProgressBar {
            objectName: "progressBar"
            visible: dialog.phase === AppUpdater.Downloading
            value: dialog.updater.progress
            Layout.fillWidth: true
        }

        Label {
            objectName: "packagePath"
            visible: dialog.phase === AppUpdater.HandedOver
            text: dialog.updater.packagePath
            textFormat: Text.PlainText
            wrapMode: Text.WrapAnywhere
            opacity: 0.7
            Layout.fillWidth: true
        }
    }

    footer: Item {
        implicitHeight: buttons.implicitHeight + 24

        RowLayout {
            id: buttons
            anchors.right: parent.right
            anchors.rightMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            spacing: 8

            Button {
                objectName: "laterButton"
                visible: dialog.phase === AppUpdater.UpdateFound
                text: "Позже"
                onClicked: dialog.close()
            }
            Button {
                objectName: "installButton"
                visible: dialog.phase === AppUpdater.UpdateFound
                text: "Скачать и установить"
                highlighted: true
                onClicked: dialog.updater.downloadAndInstall()
            }
            Button {
                objectName: "cancelButton"
                visible: dialog.phase === AppUpdater.Downloading
                text: "Отмена"
                onClicked: dialog.updater.cancelDownload()
            }
            Button {
                objectName: "closeButton"
                visible: !dialog.installing && dialog.phase !== AppUpdater.UpdateFound
                text: "Закрыть"
                onClicked: dialog.close()
            }
        }
    }
}
