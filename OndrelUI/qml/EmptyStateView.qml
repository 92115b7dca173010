import QtQuick
import Ondrel.UI

// What the task area shows while the selected folder has no tasks.
Item {
    Column {
        anchors.centerIn: parent
        spacing: 12

        Rectangle {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 96
            height: 96
            radius: 48
            color: Theme.tint(Theme.accent, 0.12)

            GradientSymbol {
                anchors.centerIn: parent
                symbol: "mic.fill"
                size: 38
            }
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Пока пусто"
            font.pixelSize: Theme.headline
            font.weight: Font.Bold
            color: Theme.primary
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            horizontalAlignment: Text.AlignHCenter
            text: "Нажми микрофон и наговори задачу —\nили напиши её внизу. AI сам разложит по папкам."
            font.pixelSize: Theme.callout
            color: Theme.secondary
        }
    }
}
