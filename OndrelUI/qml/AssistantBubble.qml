import QtQuick
import QtQuick.Controls
import Ondrel.UI

// The assistant's last answer, selectable, with a button that copies it and shows a check mark
// for a moment.
Item {
    id: bubble

    required property string text

    implicitHeight: frame.height

    ClipboardCopy {
        id: clipboard
    }

    Rectangle {
        id: frame
        x: 16
        width: bubble.width - 2 * 16
        height: row.height + 2 * 12
        radius: 12
        color: Theme.tint(Theme.accent, 0.10)

        Row {
            id: row
            x: 12
            y: 12
            width: frame.width - 2 * 12
            spacing: 8

            Symbol {
                id: sparkles
                symbol: "sparkles"
                size: Theme.callout
                color: Theme.accentText
            }
            TextEdit {
                objectName: "answerText"
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                width: row.width - sparkles.width - copyButton.width - 2 * row.spacing
                text: bubble.text
                readOnly: true
                selectByMouse: true
                wrapMode: TextEdit.Wrap
                font.pixelSize: Theme.callout
                color: Theme.primary
                selectionColor: Theme.tint(Theme.accent, 0.3)
                selectedTextColor: Theme.primary
            }
            AbstractButton {
                id: copyButton
                objectName: "copyButton"
                Accessible.name: "Скопировать ответ"
                contentItem: Symbol {
                    symbol: clipboard.copied ? "checkmark" : "doc.on.doc"
                    size: Theme.caption
                    color: clipboard.copied ? Theme.green : Theme.accentText
                }
                ToolTip.visible: hovered
                ToolTip.delay: 600
                ToolTip.text: "Скопировать ответ"
                onClicked: clipboard.copy(bubble.text)

                FocusRing {
                    visible: copyButton.visualFocus
                    cornerRadius: 4
                }
            }
        }
    }
}
