#pragma once

#include <QList>
#include <QQuickItem>
#include <QQuickView>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// One QML file of Ondrel.UI in an offscreen window, driven through its real controls: items are
// found by object name or by the text they show, then clicked or typed into. Every warning the
// engine prints while the harness lives is kept, so a test can require a clean run.
class ScreenHarness {
public:
    ScreenHarness(const QString& file, const QVariantMap& properties, QSize size = {640, 760});
    ~ScreenHarness();

    QQuickView& view() { return m_view; }
    QQuickItem* root() const { return m_view.rootObject(); }

    // The first visible item (or popup) with that object name, or nullptr.
    QObject* find(const QString& objectName) const;
    QQuickItem* item(const QString& objectName) const;
    // The first visible item whose `text` property reads `text`, or nullptr.
    QQuickItem* itemWithText(const QString& text) const;

    void click(QQuickItem* item, Qt::MouseButton button = Qt::LeftButton);
    void type(const QString& text);
    void press(Qt::Key key);
    // Lets the window lay out, animate and render once.
    void settle();

    const QStringList& warnings() const { return m_warnings; }

private:
    QQuickView m_view;
    QStringList m_warnings;
};
