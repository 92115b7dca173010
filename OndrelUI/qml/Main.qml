import QtQuick
import QtQuick.Controls
import Ondrel.UI

// The one window of the application: the application menu, the gate with its screens, and the
// updater's dialog. The executable places and shows it.
ApplicationWindow {
    id: window

    // Handed in by the executable at start-up.
    required property AppGate gate
    required property AudioRecorder recorder
    required property UpdateState updateState
    required property AppUpdater updater

    visible: false
    width: 640
    height: 760
    // The sign-in panel needs 480 × 440 below the menu.
    minimumWidth: 480
    minimumHeight: 440 + (menuBar ? menuBar.implicitHeight : 0)
    title: "Ondrel"
    color: Theme.odBackground

    menuBar: MenuBar {
        delegate: MenuBarItem {
            id: barItem
            topPadding: 4
            bottomPadding: 4
            leftPadding: 10
            rightPadding: 10
            contentItem: Text {
                text: barItem.text
                font.pixelSize: Theme.body
                font.weight: Font.DemiBold
                color: Theme.primary
            }
            background: Rectangle {
                radius: 4
                color: barItem.highlighted ? Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.15)
                                           : "transparent"
            }
        }
        background: Rectangle {
            color: Theme.odBackground
            Rectangle {
                anchors.bottom: parent.bottom
                width: parent.width
                height: 1
                color: Theme.outline
            }
        }

        ContextMenu {
            title: "Ondrel"
            SymbolMenuItem {
                id: aboutItem
                text: "О программе Ondrel"
                onTriggered: about.open()
            }
            SymbolMenuItem {
                text: "Проверить обновления…"
                onTriggered: window.updater.checkForUpdates()
            }
        }
    }

    AppGateView {
        anchors.fill: parent
        gate: window.gate
        recorder: window.recorder
        updateState: window.updateState
        checkUpdates: () => window.updater.checkForUpdates()
    }

    UpdateDialog {
        updater: window.updater
    }

    Dialog {
        id: about
        objectName: "aboutDialog"
        title: aboutItem.text
        anchors.centerIn: parent
        modal: true
        standardButtons: Dialog.Ok

        Column {
            spacing: 4
            Text {
                text: "Ondrel"
                font.pixelSize: Theme.headline
                font.weight: Font.Bold
                color: Theme.primary
            }
            Text {
                text: "Версия " + Qt.application.version
                font.pixelSize: Theme.callout
                color: Theme.secondary
            }
        }
    }
}
