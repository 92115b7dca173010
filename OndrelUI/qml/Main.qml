import QtQuick
import QtQuick.Controls
import Ondrel.UI

// The one window of the application: the application menu, the tasks menu with the root
// screen's actions and their keys (disabled while signed out), the gate with its screens, and
// the updater's dialog. The executable places and shows it.
ApplicationWindow {
    id: window

    // Handed in by the executable at start-up.
    required property AppGate gate
    required property AudioRecorder recorder
    required property UpdateState updateState
    required property AppUpdater updater
    required property Appearance appearance
    // Record and write requests from outside the window, which the root screen performs.
    required property CaptureRequests capture
    // The start-at-login entry; null where the window is shown without it.
    property LoginAutostart autostart: null
    readonly property RootView rootView: gateView.rootView

    visible: false
    width: 640
    height: 760
    // The sign-in panel needs 480 × 440 below the menu.
    minimumWidth: 480
    minimumHeight: 440 + (menuBar ? menuBar.implicitHeight : 0)
    title: "Ondrel"
    color: Theme.odBackground

    // The plain controls (the about dialog, tooltips, scroll bars) follow the theme as well.
    palette.window: Theme.odCard
    palette.windowText: Theme.primary
    palette.base: Theme.odCard
    palette.text: Theme.primary
    palette.button: Theme.pressed
    palette.buttonText: Theme.primary
    palette.highlight: Theme.accent
    palette.highlightedText: Theme.textOnAccent
    palette.toolTipBase: Theme.odCard
    palette.toolTipText: Theme.primary
    palette.placeholderText: Theme.secondary
    palette.dark: Theme.secondary
    palette.mid: Theme.outline

    Binding {
        target: Theme
        property: "dark"
        value: window.appearance.dark
    }

    menuBar: MenuBar {
        delegate: MenuBarItem {
            id: barItem
            // A disabled menu does not open.
            enabled: menu ? menu.enabled : true
            topPadding: 4
            bottomPadding: 4
            leftPadding: 10
            rightPadding: 10
            contentItem: Text {
                text: barItem.text
                font.pixelSize: Theme.body
                font.weight: Font.DemiBold
                color: Theme.primary
                opacity: barItem.enabled ? 1 : 0.4
            }
            background: Rectangle {
                radius: 4
                color: barItem.highlighted ? Theme.tint(Theme.accent, 0.15)
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
            minimumWidth: 320
            SymbolMenuItem {
                id: aboutItem
                text: "О программе Ondrel"
                onTriggered: about.open()
            }
            SymbolMenuItem {
                text: "Проверить обновления…"
                onTriggered: window.updater.checkForUpdates()
            }
            AppearanceMenu {
                appearance: window.appearance
            }
            MenuSeparator {}
            SymbolMenuItem {
                objectName: "autostartItem"
                text: "Запускать при входе в систему"
                enabled: window.autostart !== null
                symbol: window.autostart?.enabled ? "checkmark" : ""
                checkable: true
                checked: window.autostart?.enabled ?? false
                indicator: null
                onTriggered: {
                    window.autostart.enabled = !window.autostart.enabled
                    checked = Qt.binding(() => window.autostart?.enabled ?? false)
                }
            }
            SymbolMenuItem {
                objectName: "signOutItem"
                text: "Выйти из аккаунта"
                enabled: window.gate.isAuthed
                onTriggered: window.gate.signOut()
            }
            MenuSeparator {}
            SymbolMenuItem {
                action: Action {
                    text: "Выйти"
                    shortcut: StandardKey.Quit
                    onTriggered: Qt.quit()
                }
                keys: "Ctrl+Q"
            }
        }

        ContextMenu {
            title: "Задачи"
            minimumWidth: 290
            enabled: window.rootView !== null
            SymbolMenuItem {
                action: window.rootView?.writeAction ?? null
            }
            SymbolMenuItem {
                action: window.rootView?.recordAction ?? null
            }
            MenuSeparator {}
            SymbolMenuItem {
                action: window.rootView?.nextFolderAction ?? null
            }
            SymbolMenuItem {
                action: window.rootView?.previousFolderAction ?? null
            }
            SymbolMenuItem {
                action: window.rootView?.newFolderAction ?? null
            }
            MenuSeparator {}
            SymbolMenuItem {
                action: window.rootView?.reloadAction ?? null
            }
            SymbolMenuItem {
                action: window.rootView?.historyAction ?? null
            }
            SymbolMenuItem {
                action: window.rootView?.searchAction ?? null
            }
        }
    }

    AppGateView {
        id: gateView
        anchors.fill: parent
        gate: window.gate
        recorder: window.recorder
        updateState: window.updateState
        updater: window.updater
        capture: window.capture
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
