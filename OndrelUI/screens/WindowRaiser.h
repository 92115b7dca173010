#pragma once

#include "OndrelUI/screens/WindowGeometry.h"

#include <QSettings>
#include <QWindow>

// The window comes up; the first time where it was last, unless it was never hidden.
class WindowRaiser {
public:
    WindowRaiser(QWindow& window, QSettings& settings) : m_window(window), m_settings(settings) {}

    void raise() {
        if (!m_placed) {
            WindowGeometry::restoreAndShow(m_window, m_settings);
            m_placed = true;
        }
        m_window.show();
        m_window.raise();
        m_window.requestActivate();
    }
    // A window never shown has no place worth keeping.
    void save() {
        if (m_placed)
            WindowGeometry::save(m_window, m_settings);
    }

private:
    QWindow& m_window;
    QSettings& m_settings;
    bool m_placed = false;
};
