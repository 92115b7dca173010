import QtQuick.Controls
import Ondrel.UI

// The one window of the application.
ApplicationWindow {
    // Handed in by the executable at start-up.
    required property AppGate gate
    required property UpdateState updateState
    required property AppUpdater updater

    visible: true
    width: 480
    height: 440
    title: "Ondrel"
}
