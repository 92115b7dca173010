#include "OndrelCore/json/ODJSON.h"
#include "TaskFactory.h"
#include "support/GateScene.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include <QAccessible>
#include <QImage>
#include <QQuickItem>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// WCAG relative luminance and contrast ratio.
double luminance(QColor color) {
    const auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}
double contrast(QColor a, QColor b) {
    const auto [dark, light] = std::minmax({luminance(a), luminance(b)}); // by value
    return (light + 0.05) / (dark + 0.05);
}

// The window's visible part of `item`: its rectangle cut by every clipping ancestor.
QRect visibleRect(const QQuickItem* item) {
    QRectF rect = item->mapRectToScene(item->boundingRect());
    for (const QQuickItem* at = item->parentItem(); at; at = at->parentItem())
        if (at->clip())
            rect &= at->mapRectToScene(at->boundingRect());
    return rect.toAlignedRect();
}

double effectiveOpacity(const QQuickItem* item) {
    double opacity = 1;
    for (; item; item = item->parentItem())
        opacity *= item->opacity();
    return opacity;
}

// Every shown, enabled text or symbol whose contrast with what is drawn behind it is below
// 4.5:1. What is behind is the median-bright pixel of the text's rectangle among those that are
// not the text's own colour; the text's colour is blended over it with its opacity.
struct Legibility {
    int checked = 0;
    double lowest = 21;
    QString lowestText;
};
QStringList illegibleTexts(QQuickItem* root, const QImage& image, Legibility& seen) {
    QStringList found;
    const QList<QQuickItem*> children = root->childItems();
    for (QQuickItem* child : children)
        if (child->isVisible())
            found += illegibleTexts(child, image, seen);
    const bool isText = root->inherits("QQuickText") || root->inherits("QQuickTextInput") ||
                        root->inherits("QQuickTextEdit");
    const QString text = root->property("text").toString();
    const QRect rect = visibleRect(root) & image.rect();
    if (!isText || text.trimmed().isEmpty() || !root->isEnabled() || rect.width() < 2 ||
        rect.height() < 2)
        return found;
    auto color = root->property("color").value<QColor>();
    color.setAlphaF(color.alphaF() * effectiveOpacity(root));
    QList<QColor> behind;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (const QColor pixel = image.pixelColor(x, y); contrast(pixel, color) > 1.3)
                behind.append(pixel);
    if (behind.size() < 8)
        return found;
    std::nth_element(behind.begin(), behind.begin() + behind.size() / 2, behind.end(),
                     [](QColor a, QColor b) { return luminance(a) < luminance(b); });
    const QColor background = behind[behind.size() / 2];
    const double a = color.alphaF();
    const QColor shown = QColor::fromRgbF(color.redF() * a + background.redF() * (1 - a),
                                          color.greenF() * a + background.greenF() * (1 - a),
                                          color.blueF() * a + background.blueF() * (1 - a));
    const double ratio = contrast(shown, background);
    const QString what = QStringLiteral("%1 %2 on %3: %4")
                             .arg(text.left(30), shown.name(), background.name())
                             .arg(ratio, 0, 'f', 2);
    ++seen.checked;
    if (ratio < seen.lowest)
        seen = {seen.checked, ratio, what};
    if (ratio < 4.5)
        found.append(what);
    return found;
}

// What is there to read: the open popups over the window when there are any (what they cover is
// dimmed on purpose), otherwise the window's content.
QQuickItem* readable(QQuickWindow& window) {
    for (QQuickItem* layer : window.contentItem()->childItems()) {
        const QList<QQuickItem*> popups = layer->childItems();
        if (layer->inherits("QQuickOverlay") &&
            std::any_of(popups.begin(), popups.end(),
                        [](const QQuickItem* popup) { return popup->isVisible(); }))
            return layer;
    }
    return window.contentItem();
}

// What each control is for a screen reader, by the object names of the screens.
QAccessible::Role expectedRole(const QString& name) {
    static const std::pair<const char*, QAccessible::Role> roles[] = {
        {"tab:", QAccessible::PageTab},
        {"card:", QAccessible::ListItem},
        {"toggleButton", QAccessible::CheckBox},
        {"allFoldersSwitch", QAccessible::CheckBox},
        {"entry:", QAccessible::CheckBox},
        {"capture:", QAccessible::ListItem},
        {"inputField", QAccessible::EditableText},
        {"searchField", QAccessible::EditableText},
        {"micButton", QAccessible::Button},
        {"sendButton", QAccessible::Button},
        {"sortButton", QAccessible::Button},
        {"searchButton", QAccessible::Button},
        {"answerText", QAccessible::StaticText}}; // read-only, selectable
    for (const auto& [prefix, role] : roles)
        if (name.startsWith(QLatin1String(prefix)))
            return role;
    return QAccessible::NoRole;
}

// Every focusable or pressable item without a name or with a role no such control has.
QStringList unnamedControls(QAccessibleInterface* node, int& checked, int depth = 0) {
    static const QList<QAccessible::Role> controls{
        QAccessible::Button,   QAccessible::CheckBox, QAccessible::RadioButton,
        QAccessible::PageTab,  QAccessible::MenuItem, QAccessible::EditableText,
        QAccessible::ListItem, QAccessible::ComboBox, QAccessible::List};
    QStringList found;
    if (!node || !node->isValid() || node->state().invisible || depth > 80)
        return found;
    const QAccessibleActionInterface* actions = node->actionInterface();
    if (node->state().focusable ||
        (actions && actions->actionNames().contains(QAccessibleActionInterface::pressAction()))) {
        ++checked;
        const QString objectName = node->object() ? node->object()->objectName() : QString();
        const QAccessible::Role expected = expectedRole(objectName);
        if (node->text(QAccessible::Name).trimmed().isEmpty() ||
            !(controls.contains(node->role()) || node->role() == expected) ||
            (expected != QAccessible::NoRole && node->role() != expected))
            found.append(QStringLiteral("%1 (%2) role %3 name \"%4\"")
                             .arg(objectName, node->object()->metaObject()->className())
                             .arg(node->role())
                             .arg(node->text(QAccessible::Name)));
    }
    for (int i = 0; i < node->childCount(); ++i)
        found += unnamedControls(node->child(i), checked, depth + 1);
    return found;
}

// The alert a screen reader finds shown in the accessible tree, empty for none. (Off screen, Qt
// 6.4 has no platform bridge, so the show and name events never leave QAccessible.)
QString shownAlert(QAccessibleInterface* node, int depth = 0) {
    if (!node || !node->isValid() || node->state().invisible || depth > 80)
        return {};
    if (node->role() == QAccessible::AlertMessage)
        return node->text(QAccessible::Name);
    for (int i = 0; i < node->childCount(); ++i)
        if (QString text = shownAlert(node->child(i), depth + 1); !text.isEmpty())
            return text;
    return {};
}

HTTPResponse service(const HTTPRequest& request) {
    QList<TaskItem> tasks{makeTask("t1"), makeTask("t2", TaskStatus::done)};
    tasks[0].title = QStringLiteral("Купить молоко");
    tasks[0].priority = Priority::high;
    tasks[0].tags = {QStringLiteral("дом")};
    tasks[0].body = QStringLiteral("Два пакета");
    tasks[0].hasDeadline = true;
    tasks[0].dueDate = Instant::fromMSecsSinceEpoch(1'700'000'000'000);
    tasks[1].completedAt = tasks[1].createdAt;
    const QByteArray body =
        request.url.path() == u"/folders"
            ? ODJSON::encoder().encode(QList<Folder>{makeFolder("f1", QStringLiteral("Дом"))})
        : request.url.path() == u"/tasks" ? ODJSON::encoder().encode(tasks)
        : request.url.path() == u"/captures"
            ? QByteArray("[]")
            : ODJSON::encoder().encode(applyResult(QStringLiteral("Готово: добавил.")));
    return {body, 200};
}

// Every screen state, light and dark: each text legible, each control named with its role.
TEST(AppearanceAccessibility, Every_state_is_legible_in_both_appearances_and_every_control_named) {
    QAccessible::setActive(true);
    QStringList announced;
    for (const bool dark : {false, true}) {
        Legibility texts;
        int controls = 0;
        const auto check = [&](ScreenHarness& screen, const char* state) {
            screen.settle();
            const QImage image = screen.window().grabWindow();

            EXPECT_EQ(illegibleTexts(readable(screen.window()), image, texts), QStringList())
                << state << (dark ? " dark" : " light");
            EXPECT_EQ(
                unnamedControls(QAccessible::queryAccessibleInterface(&screen.window()), controls),
                QStringList())
                << state << (dark ? " dark" : " light");
        };
        {
            GateScene signIn(false, service);
            signIn.setDark(dark);
            check(signIn.screen(), "sign-in");
        }
        GateScene scene(true, service);
        ScreenHarness& screen = scene.screen();
        scene.setDark(dark);
        ASSERT_TRUE(waitUntil([&] { return scene.vm() && scene.vm()->taskCount() == 2; }));
        check(screen, "list");
        screen.press(Qt::Key_F, Qt::ControlModifier);
        screen.type(QStringLiteral("молоко"));
        screen.click(screen.item("allFoldersSwitch"));
        check(screen, "search");
        screen.click(screen.item("closeSearchButton"));
        screen.click(screen.item("openButton", screen.item("card:t1")));
        check(screen, "edit sheet");
        screen.press(Qt::Key_Escape);
        screen.press(Qt::Key_H, Qt::ControlModifier);
        waitUntil([&] { return screen.find(QStringLiteral("historyList")) != nullptr; });
        check(screen, "history");
        screen.press(Qt::Key_Escape);
        const auto alert = [&] {
            return shownAlert(QAccessible::queryAccessibleInterface(&screen.window()));
        };
        screen.click(screen.item("micButton"));
        announced.append(alert());
        scene.vm()->sendText(QStringLiteral("купить молоко"));
        waitUntil([&] { return alert() == QStringLiteral("Готово: добавил."); });
        announced.append(alert());
        // The answer fades in from the panel's next layout on, and again if the reload after
        // the answer swaps its bubble: checked once it has stayed whole past a fade.
        const auto answerShown = [&] { return effectiveOpacity(screen.item("answerText")) == 1; };
        ASSERT_TRUE(waitUntil(answerShown));
        QTest::qWait(300);
        ASSERT_TRUE(waitUntil(answerShown));
        check(screen, "recording with an answer");
        scene.recorder().stopRecording();
        // The walk reached the screens' controls and texts, not an empty tree.
        EXPECT_GT(controls, 40);
        EXPECT_GT(texts.checked, 40);
        std::printf("lowest contrast %s: %s\n", dark ? "dark" : "light",
                    qPrintable(texts.lowestText));
    }
    EXPECT_TRUE(announced.contains(QStringLiteral("Идёт запись")))
        << announced.join(u'|').toStdString();
    EXPECT_TRUE(announced.contains(QStringLiteral("Готово: добавил.")))
        << announced.join(u'|').toStdString();
}

} // namespace
