#include "OndrelUI/screens/WindowGeometry.h"
#include "support/QtPrinters.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(WindowGeometry, Stored_place_is_kept_on_a_screen_and_within_the_limits) {
    const QList<QRect> screens{{0, 0, 1920, 1040}, {1920, 0, 1280, 1000}};
    const QSize minimum(480, 440);
    const struct {
        const char* what;
        QRect stored;
        QRect expected;
    } cases[] = {
        {"nothing stored", {}, {}},
        {"on the primary screen", {100, 80, 640, 760}, {100, 80, 640, 760}},
        {"on the second screen", {2000, 50, 640, 760}, {2000, 50, 640, 760}},
        {"below the minimum", {50, 50, 100, 100}, {50, 50, 480, 440}},
        {"off every screen", {5000, 5000, 640, 760}, {640, 140, 640, 760}},
        {"larger than its screen", {0, 0, 3000, 2000}, {0, 0, 1920, 1040}},
        {"hanging over an edge", {3000, 500, 640, 760}, {2560, 240, 640, 760}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowGeometry::fitted(c.stored, minimum, screens), c.expected) << c.what;
}

TEST(WindowGeometry, A_saved_window_comes_back_where_it_was) {
    QTemporaryDir directory;
    QSettings settings(directory.filePath(QStringLiteral("ondrel.ini")), QSettings::IniFormat);
    QWindow first;
    first.setGeometry(60, 40, 500, 460); // within the offscreen 800 × 600 screen
    first.show();
    WindowGeometry::save(first, settings);

    QWindow second;
    second.setMinimumSize({480, 440});
    WindowGeometry::restoreAndShow(second, settings);
    EXPECT_EQ(second.geometry(), QRect(60, 40, 500, 460));
    EXPECT_TRUE(second.isVisible());
}

} // namespace
