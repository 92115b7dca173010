import QtQuick
import Ondrel.UI

// Tells a screen reader what changed without moving the focus: each message appears as an
// alert, which readers say as it shows. Nothing is drawn.
Item {
    id: region

    property string message: ""

    function announce(text) {
        message = ""
        visible = false
        message = text
        visible = text !== ""
    }

    objectName: "liveRegion"
    visible: false
    Accessible.role: Accessible.AlertMessage
    Accessible.name: message
}
