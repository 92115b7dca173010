#include "ScreenHarness.h"

#include <QQuickWindow>
#include <QTest>
#include <QtQuickTest/quicktest.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

bool shown(QObject* object) {
    auto* item = qobject_cast<QQuickItem*>(object);
    if (!item)
        return object->property("visible").toBool(); // a popup
    for (; item; item = item->parentItem())
        if (!item->isVisible())
            return false;
    return true;
}

// Walks the object tree and the visual tree together: delegates and popups are reachable from
// one or the other, not always both.
QObject* search(QObject* from, const std::function<bool(QObject*)>& match) {
    QList<QObject*> pending{from};
    QSet<QObject*> seen;
    while (!pending.isEmpty()) {
        QObject* object = pending.takeFirst();
        if (seen.contains(object))
            continue;
        seen.insert(object);
        if (match(object) && shown(object))
            return object;
        pending += object->children();
        if (auto* item = qobject_cast<QQuickItem*>(object))
            for (QQuickItem* child : item->childItems())
                pending.append(child);
    }
    return nullptr;
}

QStringList* activeWarnings = nullptr;
QtMessageHandler previousHandler = nullptr;

void keepWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (activeWarnings && type != QtDebugMsg && type != QtInfoMsg)
        activeWarnings->append(message);
    previousHandler(type, context, message);
}

} // namespace

ScreenHarness::ScreenHarness(const QString& file, const QVariantMap& properties, QSize size) {
    activeWarnings = &m_warnings;
    previousHandler = qInstallMessageHandler(keepWarnings);
    m_view.setResizeMode(QQuickView::SizeRootObjectToView);
    m_view.resize(size);
    m_view.setInitialProperties(properties);
    m_view.setSource(QUrl(QStringLiteral("qrc:/Ondrel/UI/") + file));
    for (const QQmlError& error : m_view.errors())
        ADD_FAILURE() << error.toString().toStdString();
    m_view.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_view));
    settle();
}

ScreenHarness::~ScreenHarness() {
    qInstallMessageHandler(previousHandler);
    activeWarnings = nullptr;
}

QObject* ScreenHarness::find(const QString& objectName) const {
    return search(m_view.contentItem(),
                  [&](QObject* object) { return object->objectName() == objectName; });
}

QQuickItem* ScreenHarness::item(const QString& objectName) const {
    return qobject_cast<QQuickItem*>(find(objectName));
}

QQuickItem* ScreenHarness::itemWithText(const QString& text) const {
    return qobject_cast<QQuickItem*>(search(m_view.contentItem(), [&](QObject* object) {
        return qobject_cast<QQuickItem*>(object) && object->property("text").toString() == text;
    }));
}

void ScreenHarness::click(QQuickItem* item, Qt::MouseButton button) {
    ASSERT_NE(item, nullptr);
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(&m_view, button, {}, centre.toPoint());
    settle();
}

// Qt 6.4 types whole strings into widgets only; a window gets one key event per character.
void ScreenHarness::type(const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, &m_view, Qt::Key_unknown, QString(c), Qt::NoModifier);
    settle();
}

void ScreenHarness::press(Qt::Key key) {
    QTest::keyClick(&m_view, key);
    settle();
}

void ScreenHarness::settle() {
    QCoreApplication::processEvents();
    EXPECT_TRUE(QQuickTest::qWaitForPolish(&m_view));
}
