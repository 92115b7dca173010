import QtQuick
import Ondrel.UI

// One row of a form section: its label on the leading side, its control on the trailing one;
// rows after the first are set off by a hairline.
Item {
    id: row

    property string label
    property bool separated: false
    default property alias control: slot.data

    width: parent ? parent.width : 0
    implicitHeight: Math.max(name.implicitHeight, slot.childrenRect.height) + 2 * 8

    Rectangle {
        visible: row.separated
        x: 12
        width: row.width - 13
        height: 1
        color: Theme.outline
    }
    Text {
        id: name
        x: 12
        anchors.verticalCenter: parent.verticalCenter
        text: row.label
        font.pixelSize: Theme.body
        color: Theme.primary
    }
    Item {
        id: slot
        anchors.right: parent.right
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        width: childrenRect.width
        height: childrenRect.height
    }
}
