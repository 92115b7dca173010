import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ondrel.UI

// A modal sheet over the window: a header row (a leading button, the title, a trailing button;
// a missing button leaves its place empty so the title stays centred) above the sheet's own
// content. Escape or a click outside closes it without saving anything.
Popup {
    id: sheet

    property string title
    property string leadingText
    property string trailingText
    property bool trailingEnabled: true
    // The header buttons' object names, for a sheet whose buttons change with its state.
    property string leadingName: "sheetLeadingButton"
    property string trailingName: "sheetTrailingButton"
    property real minimumWidth: 440
    property real preferredHeight: 500
    // What the header row and its rule take of the height.
    readonly property real headerHeight: headerRow.implicitHeight + 2 * 12 + 1
    default property alias content: body.data

    signal leadingClicked
    signal trailingClicked

    parent: Overlay.overlay
    x: Math.round((parent.width - width) / 2)
    y: Math.round((parent.height - height) / 2)
    width: Math.min(parent.width - 32, Math.max(minimumWidth, 480))
    height: Math.min(parent.height - 32, preferredHeight)
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside

    background: Rectangle {
        radius: 12
        color: Theme.odBackground
        border.color: Theme.outline

        SoftShadow {
            cornerRadius: 12
            color: Theme.sheetShadow
            shadowRadius: 14
            offsetY: 6
            steps: 8
        }
    }
    Overlay.modal: Rectangle {
        color: Theme.scrim
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        RowLayout {
            id: headerRow
            Layout.fillWidth: true
            Layout.margins: 12
            Layout.leftMargin: 16
            Layout.rightMargin: 16
            spacing: 8

            Item {
                Layout.preferredWidth: Math.max(60, leading.implicitWidth, trailing.implicitWidth)
                implicitHeight: leading.implicitHeight
                TextButton {
                    id: leading
                    objectName: sheet.leadingName
                    visible: sheet.leadingText !== ""
                    text: sheet.leadingText
                    onClicked: sheet.leadingClicked()
                }
            }
            Text {
                objectName: "sheetTitle"
                Layout.fillWidth: true
                text: sheet.title
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignHCenter
                font.pixelSize: Theme.headline
                font.weight: Font.DemiBold
                color: Theme.primary
            }
            Item {
                Layout.preferredWidth: Math.max(60, leading.implicitWidth, trailing.implicitWidth)
                implicitHeight: trailing.implicitHeight
                TextButton {
                    id: trailing
                    objectName: sheet.trailingName
                    anchors.right: parent.right
                    visible: sheet.trailingText !== ""
                    enabled: sheet.trailingEnabled
                    text: sheet.trailingText
                    bold: true
                    onClicked: sheet.trailingClicked()
                }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            implicitHeight: 1
            color: Theme.outline
        }

        Item {
            id: body
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
        }
    }
}
