import QtQuick
import QtQuick.Controls
import Ondrel.UI

// A choice between two options shown side by side; the chosen one is raised.
Rectangle {
    id: segments

    required property string firstText
    required property string secondText
    // The second option is chosen.
    required property bool second

    signal chosen(bool second)

    width: parent ? parent.width : implicitWidth
    implicitHeight: 28
    radius: 7
    color: Theme.pressed

    Row {
        anchors.fill: parent
        anchors.margins: 2
        Segment {
            objectName: "firstSegment"
            text: segments.firstText
            checked: !segments.second
            onClicked: segments.chosen(false)
        }
        Segment {
            objectName: "secondSegment"
            text: segments.secondText
            checked: segments.second
            onClicked: segments.chosen(true)
        }
    }

    // A RadioButton for its role; the choice, not the click, decides which one is checked.
    component Segment: RadioButton {
        id: segment

        Accessible.name: text
        checkable: false
        indicator: null
        padding: 0

        width: (segments.width - 4) / 2
        height: segments.height - 4
        font.pixelSize: Theme.callout
        contentItem: Text {
            text: segment.text
            font: segment.font
            color: Theme.primary
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        background: Rectangle {
            radius: 5
            color: segment.checked ? Theme.odCard : "transparent"
            border.color: segment.checked ? Theme.outline : "transparent"
        }

        FocusRing {
            visible: segment.visualFocus
            cornerRadius: 5
        }
    }
}
