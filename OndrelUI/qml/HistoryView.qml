import QtQuick
import QtQuick.Controls
import Ondrel.UI

// The user's past captures, newest as the service orders them: each row shows the capture's
// status as its wire text and the day it was made. Choosing a row (a click, or Return on the
// current one) opens that capture in the view model. The history loads when the screen appears.
ListView {
    id: history

    required property CaptureHistoryViewModel viewModel

    objectName: "historyList"
    clip: true
    model: viewModel.captureRows
    topMargin: 8
    bottomMargin: 8
    boundsBehavior: Flickable.StopAtBounds
    activeFocusOnTab: true
    Component.onCompleted: viewModel.loadHistory()
    Keys.onReturnPressed: viewModel.openCapture(viewModel.captureRows.captureIdAtRow(currentIndex))
    ScrollBar.vertical: ScrollBar {}

    // An ItemDelegate: a list item to a screen reader.
    delegate: ItemDelegate {
        id: row

        required property int index
        required property string captureId
        required property string status
        required property string createdText

        objectName: "capture:" + captureId
        Accessible.name: status + ", " + createdText
        x: 16
        width: history.width - 2 * 16
        padding: 10
        leftPadding: 12
        focusPolicy: Qt.NoFocus
        contentItem: Column {
            spacing: 4
            Text {
                text: row.status
                font.pixelSize: Theme.caption
                color: Theme.secondary
            }
            Text {
                text: row.createdText
                font.pixelSize: Theme.subheadline
                color: Theme.primary
            }
        }
        background: Rectangle {
            radius: 8
            color: row.down ? Theme.pressed : "transparent"
            border.width: row.ListView.isCurrentItem && history.activeFocus ? 2 : 0
            border.color: Theme.tint(Theme.accent, 0.6)
        }
        onClicked: {
            history.currentIndex = index
            history.viewModel.openCapture(captureId)
        }
    }
}
