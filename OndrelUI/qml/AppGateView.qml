import QtQuick
import QtQuick.Controls
import Ondrel.UI

// The window's content: the sign-in panel while signed out, the root screen once the gate has
// a view model, nothing but a quiet wait while the stored sign-in is read; above them, until
// dismissed, the line that says the keyring refused the sign-in.
Item {
    id: gateView

    required property AppGate gate
    required property AudioRecorder recorder
    required property UpdateState updateState
    // Checks for an update or installs the one found; null hides the root screen's update
    // buttons.
    property AppUpdater updater: null
    // Requests from outside the window for the root screen; null when nothing sends them.
    property CaptureRequests capture: null
    // The root screen while signed in, whose actions the window's menu offers; null otherwise.
    readonly property RootView rootView: rootScreen.item as RootView

    KeyringNotice {
        id: keyringNotice
        width: parent.width
        gate: gateView.gate
    }

    Loader {
        id: rootScreen
        objectName: "rootScreen"
        anchors.fill: parent
        anchors.topMargin: keyringNotice.height
        active: gateView.gate.viewModel !== null
        sourceComponent: RootView {
            viewModel: gateView.gate.viewModel
            recorder: gateView.recorder
            updateState: gateView.updateState
            updater: gateView.updater
            capture: gateView.capture
        }
    }

    // The keyring may be asking the user to unlock it: after a moment, say what is awaited.
    Column {
        anchors.centerIn: parent
        spacing: 12
        visible: !gateView.gate.ready && waitShown.elapsed
        BusyIndicator {
            anchors.horizontalCenter: parent.horizontalCenter
            running: parent.visible
        }
        Text {
            text: "Открываем связку ключей…"
            font.pixelSize: Theme.callout
            color: Theme.secondary
        }
        Timer {
            id: waitShown
            property bool elapsed: false
            interval: 600
            running: !gateView.gate.ready
            onTriggered: waitShown.elapsed = true
        }
    }

    Rectangle {
        objectName: "signInPanel"
        anchors.fill: parent
        anchors.topMargin: keyringNotice.height
        visible: gateView.gate.ready && gateView.gate.viewModel === null
        color: Theme.odBackground

        GradientFill {
            anchors.fill: parent
            opacity: 0.1
        }

        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 32 + 16
            width: Math.max(0, parent.width - 2 * 32)
            spacing: 20

            Item {
                anchors.horizontalCenter: parent.horizontalCenter
                width: 92
                height: 92

                SoftShadow {
                    cornerRadius: 46
                    color: Theme.tint(Theme.accent, 0.4)
                    shadowRadius: 16
                    offsetY: 8
                    steps: 16
                }
                GradientFill {
                    anchors.fill: parent
                    radius: 46
                }
                Symbol {
                    anchors.centerIn: parent
                    symbol: "brain.head.profile"
                    size: 42
                    color: Theme.textOnAccent
                }
            }

            Column {
                width: parent.width
                spacing: 8
                Text {
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    text: "Ondrel"
                    font.pixelSize: Theme.largeTitle
                    font.weight: Font.Bold
                    color: Theme.primary
                }
                Text {
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.Wrap
                    text: "Просто скажи, что нужно сделать.\nНаговори — AI разложит по задачам и папкам."
                    font.pixelSize: Theme.callout
                    color: Theme.secondary
                }
            }

            AbstractButton {
                objectName: "signInButton"
                Accessible.name: gateView.gate.busy ? "Входим…" : "Войти через Яндекс"
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(280, parent.width)
                height: 50
                enabled: !gateView.gate.busy
                background: GradientFill {
                    radius: height / 2
                }
                contentItem: Item {
                    Row {
                        anchors.centerIn: parent
                        spacing: 8
                        BusyIndicator {
                            anchors.verticalCenter: parent.verticalCenter
                            visible: gateView.gate.busy
                            running: visible
                            implicitWidth: 18
                            implicitHeight: 18
                            padding: 0
                            palette.dark: Theme.textOnAccent
                        }
                        Text {
                            anchors.verticalCenter: parent.verticalCenter
                            text: gateView.gate.busy ? "Входим…" : "Войти через Яндекс"
                            font.pixelSize: Theme.body
                            font.weight: Font.DemiBold
                            color: Theme.textOnAccent
                        }
                    }
                }
                onClicked: gateView.gate.signIn()
            }

            AbstractButton {
                objectName: "cancelSignInButton"
                Accessible.name: "Отменить"
                anchors.horizontalCenter: parent.horizontalCenter
                visible: gateView.gate.busy
                contentItem: Text {
                    text: "Отменить"
                    font.pixelSize: Theme.callout
                    color: Theme.accentText
                }
                onClicked: gateView.gate.cancelSignIn()
            }

            SignInAddress {
                width: parent.width
                visible: gateView.gate.busy
                address: gateView.gate.signInAddress
            }

            Text {
                objectName: "signInError"
                width: parent.width
                visible: gateView.gate.errorText !== ""
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                text: gateView.gate.errorText
                font.pixelSize: Theme.caption
                color: Theme.red
            }
        }
    }
}
