#pragma once

#include <QImage>
#include <QStringList>

class QQuickItem;
class QQuickWindow;

// What a screen reader and a reader's eyes make of a window as it is drawn: every text or
// symbol legible against what is behind it, every control named with its role.
class ScreenAudit {
public:
    // Problems in `window` as drawn in `image`, one line each; empty when there are none.
    QStringList check(QQuickWindow& window, const QImage& image);

    int checkedTexts() const { return m_checkedTexts; }
    int checkedControls() const { return m_checkedControls; }
    // The least legible text seen so far, with its colours and contrast.
    const QString& lowestText() const { return m_lowestText; }

    // The WCAG contrast ratio of two colours, 1 to 21.
    static double contrast(QColor a, QColor b);
    // The opacity `item` is drawn with, its ancestors' included.
    static double effectiveOpacity(const QQuickItem* item);

private:
    int m_checkedTexts = 0;
    int m_checkedControls = 0;
    double m_lowest = 21;
    QString m_lowestText;
};
