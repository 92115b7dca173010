import QtQuick
import QtQuick.Controls
import Ondrel.UI

// The deadline's date, without a time of day: a button showing it that opens a month calendar.
// In the calendar the arrows move the date by a day or a week and Page Up / Page Down by a
// month; Return, Space or Escape closes it.
AbstractButton {
    id: picker

    required property TaskEditForm form

    padding: 6
    leftPadding: 10
    rightPadding: 10
    text: form.dueText
    contentItem: SymbolLabel {
        symbol: "calendar"
        text: picker.text
        size: Theme.body
        color: Theme.primary
    }
    background: Rectangle {
        radius: 6
        color: picker.down || calendar.opened ? Theme.pressed : Theme.odCard
        border.color: Theme.outline
    }
    onClicked: calendar.open()

    FocusRing {
        visible: picker.visualFocus
    }

    Popup {
        id: calendar
        objectName: "calendar"
        x: picker.width - width
        padding: 10
        margins: 8 // kept inside the window
        focus: true
        // Below the button, or above it when the window has no room below.
        onAboutToShow: {
            const below = picker.height + 4
            const room = picker.Window.height - picker.mapToItem(null, 0, below).y
            y = room >= implicitHeight + margins ? below : -implicitHeight - 4
        }
        background: Rectangle {
            radius: 8
            color: Theme.odCard
            border.color: Theme.outline
            SoftShadow {
                cornerRadius: 8
                color: Theme.popupShadow
                shadowRadius: 8
                offsetY: 3
            }
        }

        Column {
            focus: true
            spacing: 6

            Keys.onPressed: event => {
                const steps = {
                    [Qt.Key_Left]: [-1, 0], [Qt.Key_Right]: [1, 0], [Qt.Key_Up]: [-7, 0],
                    [Qt.Key_Down]: [7, 0], [Qt.Key_PageUp]: [0, -1], [Qt.Key_PageDown]: [0, 1]
                }
                const step = steps[event.key]
                if (step) {
                    picker.form.shiftDueDate(step[0])
                    picker.form.shiftDueMonths(step[1])
                } else if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter
                           || event.key === Qt.Key_Space) {
                    calendar.close()
                } else {
                    return
                }
                event.accepted = true
            }

            Item {
                width: grid.width
                height: monthTitle.implicitHeight
                MonthStep {
                    step: -1
                    symbol: "chevron.left"
                }
                Text {
                    id: monthTitle
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: grid.title
                    font.pixelSize: Theme.body
                    font.weight: Font.DemiBold
                    color: Theme.primary
                }
                MonthStep {
                    anchors.right: parent.right
                    step: 1
                    symbol: "chevron.right"
                }
            }
            DayOfWeekRow {
                width: grid.width
                // Qt 6.4 declares no QML type for a locale, so qmllint cannot check these two.
                locale: grid.locale // qmllint disable type
                delegate: Text {
                    required property string shortName
                    text: shortName
                    horizontalAlignment: Text.AlignHCenter
                    font.pixelSize: Theme.caption
                    color: Theme.secondary
                }
            }
            MonthGrid {
                id: grid
                width: 7 * 30
                spacing: 0
                locale: Qt.locale("ru_RU") // qmllint disable type
                month: picker.form.dueMonth
                year: picker.form.dueYear
                delegate: AbstractButton {
                    id: cell

                    required property int year
                    required property int month
                    required property int day
                    required property bool today
                    readonly property bool chosen: cell.day === picker.form.dueDay
                                                   && cell.month === picker.form.dueMonth
                                                   && cell.year === picker.form.dueYear

                    Accessible.name: new Date(cell.year, cell.month, cell.day)
                                         .toLocaleDateString(grid.locale, "d MMMM yyyy")
                    Accessible.selected: cell.chosen

                    implicitWidth: 30
                    implicitHeight: 26
                    focusPolicy: Qt.NoFocus
                    onClicked: {
                        picker.form.pickDueDate(cell.year, cell.month, cell.day)
                        calendar.close()
                    }
                    background: Rectangle {
                        anchors.centerIn: parent
                        width: 24
                        height: 24
                        radius: 12
                        color: cell.chosen ? Theme.accent : "transparent"
                        border.width: cell.today && !cell.chosen ? 1 : 0
                        border.color: Theme.accent
                    }
                    contentItem: Text {
                        text: cell.day
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        font.pixelSize: Theme.callout
                        // The neighbouring months' days are set apart by colour, legible still.
                        color: cell.chosen ? Theme.textOnAccent
                             : cell.month === grid.month ? Theme.primary : Theme.secondary
                    }
                }
            }
        }
    }

    // A step of the shown date by a month.
    component MonthStep: AbstractButton {
        id: stepButton

        required property int step
        required property string symbol

        Accessible.name: step < 0 ? "Предыдущий месяц" : "Следующий месяц"

        focusPolicy: Qt.NoFocus
        contentItem: Symbol {
            symbol: stepButton.symbol
            size: Theme.body
            color: Theme.accentText
        }
        onClicked: picker.form.shiftDueMonths(step)
    }
}
