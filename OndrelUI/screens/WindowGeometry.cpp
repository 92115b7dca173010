#include "OndrelUI/screens/WindowGeometry.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {

const QString geometryKey = QStringLiteral("window/geometry");
const QString maximizedKey = QStringLiteral("window/maximized");

qint64 overlap(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

} // namespace

namespace WindowGeometry {

QRect fitted(const QRect& stored, const QSize& minimum, const QList<QRect>& screens) {
    if (!stored.isValid() || screens.isEmpty())
        return {};
    const auto best =
        std::max_element(screens.begin(), screens.end(), [&](const QRect& a, const QRect& b) {
            return overlap(stored, a) < overlap(stored, b);
        });
    const bool onScreen = overlap(stored, *best) > 0;
    const QRect screen = onScreen ? *best : screens.first();
    const QSize size = stored.size().expandedTo(minimum).boundedTo(screen.size());
    QRect placed(onScreen ? stored.topLeft() : QPoint(), size);
    if (!onScreen)
        placed.moveCenter(screen.center());
    placed.moveLeft(std::clamp(placed.left(), screen.left(), screen.right() + 1 - size.width()));
    placed.moveTop(std::clamp(placed.top(), screen.top(), screen.bottom() + 1 - size.height()));
    return placed;
}

void restoreAndShow(QWindow& window, QSettings& settings) {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    if (QScreen* primary = QGuiApplication::primaryScreen())
        screens.move(QGuiApplication::screens().indexOf(primary), 0);
    const QRect place = fitted(settings.value(geometryKey).toRect(), window.minimumSize(), screens);
    if (place.isValid())
        window.setGeometry(place);
    if (settings.value(maximizedKey).toBool())
        window.showMaximized();
    else
        window.show();
}

void save(const QWindow& window, QSettings& settings) {
    const bool maximized = window.visibility() == QWindow::Maximized;
    settings.setValue(maximizedKey, maximized);
    // A maximised window keeps the place it returns to.
    if (!maximized)
        settings.setValue(geometryKey, window.geometry());
}

} // namespace WindowGeometry
