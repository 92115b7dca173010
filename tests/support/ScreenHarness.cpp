#include "support/ScreenHarness.h"

#include <QQmlComponent>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>
#include <QtQuickTest/quicktest.h>

#include <functional>

// The screens come from the statically linked module; whoever drives them links it.
Q_IMPORT_QML_PLUGIN(Ondrel_UIPlugin)

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
    // Ondrel's own logging categories report on purpose (a keyring out of reach, say); what is
    // kept is what Qt says of the screens.
    const bool ours = context.category && QByteArrayView(context.category).startsWith("ondrel.");
    if (activeWarnings && type != QtDebugMsg && type != QtInfoMsg && !ours)
        activeWarnings->append(message);
    previousHandler(type, context, message);
}

} // namespace

ScreenHarness::ScreenHarness(const QString& file, const QVariantMap& properties, QSize size) {
    activeWarnings = &m_warnings;
    previousHandler = qInstallMessageHandler(keepWarnings);
    m_engine.addImportPath(QStringLiteral("qrc:/")); // Qt 6.4 does not look there by itself
    QQmlComponent component(&m_engine, file.contains(u':')
                                           ? QUrl(file)
                                           : QUrl(QStringLiteral("qrc:/Ondrel/UI/") + file));
    m_root.reset(component.createWithInitialProperties(properties));
    for (const QQmlError& error : component.errors())
        m_warnings.append(error.toString());
    if (!m_root)
        return;
    m_window = qobject_cast<QQuickWindow*>(m_root.get());
    if (auto* item = qobject_cast<QQuickItem*>(m_root.get())) {
        m_ownWindow = std::make_unique<QQuickWindow>();
        m_window = m_ownWindow.get();
        item->setParentItem(m_window->contentItem());
        item->setSize(size);
    }
    m_window->resize(size);
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window))
        m_warnings.append(QStringLiteral("the window was never exposed"));
    settle();
}

ScreenHarness::~ScreenHarness() {
    m_root.reset();
    qInstallMessageHandler(previousHandler);
    activeWarnings = nullptr;
}

QObject* ScreenHarness::find(const QString& objectName, QObject* scope) const {
    return search(scope ? scope : m_window->contentItem(),
                  [&](QObject* object) { return object->objectName() == objectName; });
}

QQuickItem* ScreenHarness::item(const QString& objectName, QObject* scope) const {
    return qobject_cast<QQuickItem*>(find(objectName, scope));
}

QQuickItem* ScreenHarness::itemWithText(const QString& text) const {
    return qobject_cast<QQuickItem*>(search(m_window->contentItem(), [&](QObject* object) {
        return qobject_cast<QQuickItem*>(object) && object->property("text").toString() == text;
    }));
}

void ScreenHarness::click(QQuickItem* item, Qt::MouseButton button) {
    if (!item) {
        m_warnings.append(QStringLiteral("nothing to click"));
        return;
    }
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(m_window, button, {}, centre.toPoint());
    settle();
}

// Qt 6.4 types whole strings into widgets only; a window gets one key event per character.
void ScreenHarness::type(const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, m_window, Qt::Key_unknown, QString(c), Qt::NoModifier);
    settle();
}

void ScreenHarness::press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(m_window, key, modifiers);
    settle();
}

void ScreenHarness::settle() {
    QCoreApplication::processEvents();
    if (!QQuickTest::qWaitForPolish(m_window))
        m_warnings.append(QStringLiteral("the window was never laid out"));
}
