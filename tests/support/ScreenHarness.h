#pragma once

#include <QList>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>

// One QML file of Ondrel.UI (or any, given by URL) in an offscreen window (its own when the file is
// a window), driven through its real controls: items are found by object name or by the text they
// show, then clicked or typed into. Every warning printed while the harness lives is kept, and so
// is anything the harness itself could not do (a load error, an item missing for a click), so a
// test can require a clean run. One harness at a time: it holds the process's message handler.
class ScreenHarness {
public:
    ScreenHarness(const QString& file, const QVariantMap& properties, QSize size = {640, 760});
    ~ScreenHarness();

    QQmlEngine& engine() { return m_engine; }
    QQuickWindow& window() { return *m_window; }
    QObject* root() const { return m_root.get(); } // the file's root object

    // The first visible item (or popup) with that object name, within `scope` when one is
    // given; or the first visible item whose `text` property reads `text`. Null when none is.
    QObject* find(const QString& objectName, QObject* scope = nullptr) const;
    QQuickItem* item(const QString& objectName, QObject* scope = nullptr) const;
    QQuickItem* itemWithText(const QString& text) const;

    void click(QQuickItem* item, Qt::MouseButton button = Qt::LeftButton);
    void type(const QString& text);
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void settle(); // lets the window lay out, animate and render once

    const QStringList& warnings() const { return m_warnings; }

private:
    QStringList m_warnings;
    QQmlEngine m_engine;
    std::unique_ptr<QQuickWindow> m_ownWindow; // when the file's root is an item
    std::unique_ptr<QObject> m_root;
    QQuickWindow* m_window = nullptr;
};
