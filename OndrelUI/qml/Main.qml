import QtQuick.Controls

// The one window of the application.
ApplicationWindow {
    visible: true
    width: 480
    height: 440
    title: "Ondrel"
}
