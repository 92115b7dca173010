import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ondrel.UI

// The updater's sheet: opens whenever the user starts a check and follows the updater from
// the check through the download to the hand-over. Its header holds the choices of the moment
// ("Позже" and "Скачать и установить", "Отмена" of a download, "Закрыть"). While a package is
// downloaded or verified it stays open.
Sheet {
    id: dialog

    required property AppUpdater updater
    readonly property int phase: updater.state
    readonly property bool offering: phase === AppUpdater.UpdateFound
    readonly property bool installing: phase === AppUpdater.Downloading
                                       || phase === AppUpdater.Verifying

    title: "Обновление Ondrel"
    minimumWidth: 460
    preferredHeight: headerHeight + column.implicitHeight + 2 * 20
    closePolicy: installing ? Popup.NoAutoClose
                            : Popup.CloseOnEscape | Popup.CloseOnPressOutside
    leadingText: offering ? "Позже" : phase === AppUpdater.Downloading ? "Отмена" : ""
    leadingName: offering ? "laterButton" : "cancelButton"
    trailingText: offering ? "Скачать и установить" : installing ? "" : "Закрыть"
    trailingName: offering ? "installButton" : "closeButton"
    onLeadingClicked: offering ? close() : updater.cancelDownload()
    onTrailingClicked: offering ? updater.downloadAndInstall() : close()
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
        id: column

        anchors.fill: parent
        anchors.margins: 20
        spacing: 12

        RowLayout {
            spacing: 10
            Layout.fillWidth: true

            BusyIndicator {
                objectName: "busyIndicator"
                visible: dialog.phase === AppUpdater.Checking
                         || dialog.phase === AppUpdater.Verifying
                running: visible
                Layout.preferredWidth: 24
                Layout.preferredHeight: 24
            }
            Symbol {
                visible: dialog.phase === AppUpdater.Failed
                symbol: "exclamationmark.triangle.fill"
                size: Theme.body
                color: Theme.orange
            }
            Text {
                objectName: "statusText"
                text: dialog.statusText()
                wrapMode: Text.Wrap
                textFormat: Text.PlainText
                font.pixelSize: Theme.body
                font.weight: dialog.offering ? Font.DemiBold : Font.Normal
                color: Theme.primary
                Layout.fillWidth: true
            }
        }

        ScrollView {
            visible: dialog.offering && dialog.updater.notes !== ""
            clip: true
            Layout.fillWidth: true
            Layout.preferredHeight: Math.min(notes.implicitHeight, 220)

            Text {
                id: notes
                objectName: "notesText"
                width: column.width
                text: dialog.updater.notes
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                font.pixelSize: Theme.body
                color: Theme.secondary
            }
        }

        TextButton {
            objectName: "notesLinkButton"
            visible: dialog.offering && dialog.updater.notesLink !== ""
            text: "Что нового в этой версии"
            onClicked: Qt.openUrlExternally(dialog.updater.notesLink)
        }

        ProgressBar {
            id: progress
            objectName: "progressBar"
            visible: dialog.phase === AppUpdater.Downloading
            value: dialog.updater.progress
            Layout.fillWidth: true

            background: Rectangle {
                implicitHeight: 6
                radius: 3
                color: Theme.outline
            }
            contentItem: Item {
                implicitHeight: 6
                Rectangle {
                    width: progress.visualPosition * parent.width
                    height: parent.height
                    radius: 3
                    color: Theme.accent
                }
            }
        }

        Text {
            objectName: "packagePath"
            visible: dialog.phase === AppUpdater.HandedOver
            text: dialog.updater.packagePath
            textFormat: Text.PlainText
            wrapMode: Text.WrapAnywhere
            font.pixelSize: Theme.callout
            color: Theme.secondary
            Layout.fillWidth: true
        }
    }
}
