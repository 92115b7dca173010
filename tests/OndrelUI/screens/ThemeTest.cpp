#include "support/QtPrinters.h"

#include <QColor>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QRawFont>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Theme as the screens read it, through a probe that lives beside them in the module.
TEST(Theme, Priority_none_is_faint_grey_and_every_symbol_is_in_the_bundled_font) {
    QQmlEngine engine;
    QQmlComponent probe(&engine);
    probe.setData("import QtQuick\nimport Ondrel.UI\nQtObject {\n"
                  "    property color none: Theme.priorityColor('NONE')\n"
                  "    property color low: Theme.priorityColor('LOW')\n"
                  "    property color accent: Theme.accent\n"
                  "    property var symbols: Theme.symbols\n"
                  "}\n",
                  QUrl(QStringLiteral("qrc:/Ondrel/UI/ThemeProbe.qml")));
    const std::unique_ptr<QObject> theme(probe.create());
    ASSERT_NE(theme, nullptr) << probe.errorString().toStdString();
    const auto none = theme->property("none").value<QColor>();
    EXPECT_NEAR(none.alphaF(), 0.35, 0.01);
    EXPECT_NE(none.rgb(), theme->property("accent").value<QColor>().rgb());
    EXPECT_EQ(theme->property("low"), theme->property("accent"));

    const QRawFont icons(QStringLiteral(":/Ondrel/UI/fonts/MaterialIcons-Regular.ttf"), 24);
    ASSERT_TRUE(icons.isValid());
    const QVariantMap symbols = theme->property("symbols").toMap();
    EXPECT_GE(symbols.size(), 19);
    for (auto symbol = symbols.begin(); symbol != symbols.end(); ++symbol) {
        const QString glyph = symbol.value().toString();
        EXPECT_TRUE(glyph.size() == 1 && icons.supportsCharacter(glyph.at(0)))
            << symbol.key().toStdString();
    }
}

} // namespace
