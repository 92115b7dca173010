#include <QApplication>
#include <QQuickStyle>

#include <gtest/gtest.h>

// UI tests need a GUI application (headless by default) for the event loop, QML and models;
// a QApplication, as the program has one, for the tray icon's menu.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The screens are drawn with the Basic style, whatever the desktop prefers.
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
