#pragma once

#include <QList>
#include <QRect>
#include <QSettings>
#include <QSize>
#include <QWindow>

// The main window's place and size across runs, kept in the settings. A stored place that no
// longer lies on a screen (a monitor unplugged, a hand-edited settings file) is brought back.
namespace WindowGeometry {

// Where a window goes given the stored rectangle, its minimum size and the screens' available
// areas (the primary first): on the screen it overlaps most, or centred on the primary one when
// it overlaps none; no smaller than the minimum and no larger than that screen. An empty stored
// rectangle gives an empty one: keep the default.
QRect fitted(const QRect& stored, const QSize& minimum, const QList<QRect>& screens);

// Places the window as last saved and shows it (maximised when it was).
void restoreAndShow(QWindow& window, QSettings& settings);
void save(const QWindow& window, QSettings& settings);

} // namespace WindowGeometry
