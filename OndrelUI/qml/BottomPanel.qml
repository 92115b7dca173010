import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ondrel.UI

// The root screen's bottom panel, top to bottom: the assistant's answer, the progress of a
// capture, a reminder the desktop could not show, the error line (with the offer to send a
// failed recording again) and the input row with the text field, the microphone and the send
// button. While a capture runs the answer and the error line give way to the progress row.
// Disabled controls are dimmed.
Rectangle {
    id: panel

    required property AppViewModel viewModel
    required property AudioRecorder recorder
    property string micToolTip
    // Shown as a button while it is enabled.
    property Action undoAction: null

    readonly property CaptureInput captureInput: viewModel.captureInput
    readonly property bool busy: viewModel.isBusy
    readonly property bool recording: recorder.isRecording
    readonly property bool waitingShown: viewModel.offline.waitingCaptures > 0
    readonly property bool undoShown: undoAction !== null && undoAction.enabled

    function focusInput() {
        input.forceActiveFocus()
    }

    implicitHeight: parts.implicitHeight + 8 + 14
    color: Theme.material

    Column {
        id: parts
        y: 8
        width: panel.width
        spacing: 8

        add: Transition {
            NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 200; easing.type: Easing.InOutQuad }
        }
        move: Transition {
            NumberAnimation { property: "y"; duration: 200; easing.type: Easing.InOutQuad }
        }

        // A new answer gets a new bubble, whose copy button starts without its check mark.
        Loader {
            width: parts.width
            active: panel.viewModel.assistantAnswer !== "" && !panel.busy
            visible: active
            sourceComponent: AssistantBubble {
                text: panel.viewModel.assistantAnswer
            }
        }

        Row {
            objectName: "progressRow"
            x: 16
            visible: panel.busy
            spacing: 8
            BusyIndicator {
                anchors.verticalCenter: parent.verticalCenter
                implicitWidth: 16
                implicitHeight: 16
                padding: 0
                running: panel.busy
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: panel.viewModel.statusText || "Обрабатываю…"
                font.pixelSize: Theme.callout
                color: Theme.secondary
            }
        }

        // A reminder the desktop had no way to show.
        RowLayout {
            x: 16
            width: parts.width - 2 * 16
            visible: panel.viewModel.reminderNotice !== ""
            spacing: 6

            Symbol {
                symbol: "bell"
                size: Theme.caption
                color: Theme.accentText
            }
            Text {
                objectName: "reminderLine"
                Layout.fillWidth: true
                text: panel.viewModel.reminderNotice
                elide: Text.ElideRight
                font.pixelSize: Theme.caption
                color: Theme.primary
            }
        }

        RowLayout {
            objectName: "errorRow"
            x: 16
            width: parts.width - 2 * 16
            visible: panel.viewModel.errorText !== "" && !panel.busy
            spacing: 10

            Text {
                objectName: "errorLine"
                Layout.fillWidth: true
                text: panel.viewModel.errorText
                wrapMode: Text.Wrap
                font.pixelSize: Theme.caption
                color: Theme.red
            }
            AbstractButton {
                id: retryButton
                objectName: "retryButton"
                Accessible.name: "Отправить ещё раз"
                Layout.alignment: Qt.AlignTop
                Layout.minimumWidth: implicitWidth
                visible: panel.captureInput.canRetryCapture
                enabled: !panel.recording
                opacity: enabled ? 1 : 0.4
                contentItem: SymbolLabel {
                    symbol: "arrow.clockwise"
                    text: "Отправить ещё раз"
                    size: Theme.caption
                    color: Theme.accentText
                    weight: Font.DemiBold
                }
                onClicked: panel.captureInput.retryCapture()

                FocusRing {
                    visible: retryButton.visualFocus
                    cornerRadius: 4
                }
            }
        }

        RowLayout {
            objectName: "queueRow"
            x: 16
            width: parts.width - 2 * 16
            visible: panel.waitingShown || panel.undoShown
            spacing: 10

            Text {
                id: waiting
                objectName: "waitingLine"
                Layout.fillWidth: true
                visible: panel.waitingShown
                text: "Ждут отправки: " + panel.viewModel.offline.waitingCaptures
                font.pixelSize: Theme.caption
                color: Theme.secondary
            }
            Item {
                Layout.fillWidth: true
                visible: !panel.waitingShown
            }
            AbstractButton {
                id: undoButton
                objectName: "undoButton"
                visible: panel.undoShown
                action: panel.undoAction
                contentItem: SymbolLabel {
                    symbol: "arrow.uturn.backward"
                    text: undoButton.text
                    size: Theme.caption
                    color: Theme.accentText
                    weight: Font.DemiBold
                }

                FocusRing {
                    visible: undoButton.visualFocus
                    cornerRadius: 4
                }
            }
        }

        RowLayout {
            x: 16
            width: parts.width - 2 * 16
            spacing: 10

            TextField {
                id: input
                objectName: "inputField"
                Accessible.name: "Задача"
                Layout.fillWidth: true
                enabled: !panel.busy && !panel.recording
                opacity: enabled ? 1 : 0.5
                placeholderText: panel.recording ? "Слушаю…" : "Напиши или наговори задачу"
                placeholderTextColor: Theme.secondary
                font.pixelSize: Theme.body
                color: Theme.primary
                leftPadding: 14
                rightPadding: 14
                topPadding: 10
                bottomPadding: 10
                background: Rectangle {
                    radius: height / 2
                    color: Theme.odCard
                    border.width: 1
                    border.color: input.activeFocus ? Theme.tint(Theme.accent, 0.5) : Theme.outline
                }
                onAccepted: if (panel.captureInput.submitInput(text)) clear()
            }

            MicButton {
                isRecording: panel.recording
                level: panel.recorder.level
                disabled: panel.busy
                toolTip: panel.micToolTip
                onAction: panel.captureInput.toggleRecording(panel.recorder)
            }

            AbstractButton {
                id: sendButton
                objectName: "sendButton"
                Accessible.name: "Отправить"
                implicitWidth: 40
                implicitHeight: 40
                // Not while recording: the recording would be refused while the text is sent.
                enabled: input.text !== "" && !panel.busy && !panel.recording
                ToolTip.visible: hovered
                ToolTip.delay: 600
                ToolTip.text: "Отправить (Enter)"
                background: Item {
                    GradientFill {
                        anchors.fill: parent
                        radius: width / 2
                        visible: sendButton.enabled
                    }
                    Rectangle {
                        anchors.fill: parent
                        radius: width / 2
                        color: Theme.disabledFill
                        visible: !sendButton.enabled
                    }
                }
                contentItem: Symbol {
                    symbol: "arrow.up"
                    size: 16
                    color: Theme.textOnAccent
                }
                onClicked: if (panel.captureInput.submitInput(input.text)) input.clear()

                FocusRing {
                    visible: sendButton.visualFocus
                    cornerRadius: 20
                }
            }
        }
    }
}
