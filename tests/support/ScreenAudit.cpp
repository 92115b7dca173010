#include "support/ScreenAudit.h"

#include <QAccessible>
#include <QHash>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

// WCAG relative luminance and contrast ratio.
double luminance(QColor color) {
    const auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}
// The window's visible part of `item`: its rectangle cut by every clipping ancestor.
QRect visibleRect(const QQuickItem* item) {
    QRectF rect = item->mapRectToScene(item->boundingRect());
    for (const QQuickItem* at = item->parentItem(); at; at = at->parentItem())
        if (at->clip())
            rect &= at->mapRectToScene(at->boundingRect());
    return rect.toAlignedRect();
}

// The commonest colour of a band `margin` pixels wide around `rect`: what a text or symbol there
// is drawn over, whatever its glyphs and their smoothed edges cover inside.
QColor colourAround(const QImage& image, QRect rect, int margin = 3) {
    const QRect outer = rect.adjusted(-margin, -margin, margin, margin) & image.rect();
    QHash<QRgb, int> counts;
    for (int y = outer.top(); y <= outer.bottom(); ++y)
        for (int x = outer.left(); x <= outer.right(); ++x)
            if (!rect.contains(x, y))
                ++counts[image.pixel(x, y)];
    const auto commonest = std::max_element(counts.constKeyValueBegin(), counts.constKeyValueEnd(),
                                            [](auto a, auto b) { return a.second < b.second; });
    return commonest == counts.constKeyValueEnd() ? QColor() : QColor::fromRgb(commonest->first);
}

// Every shown, enabled text or symbol whose contrast with what is drawn around it is below 4.5:1,
// its colour blended over that background with its opacity.
struct Legibility {
    int checked = 0;
    double lowest = 21;
    QString lowestText;
    QList<QRect> covered; // by popups over the items being read
};
QStringList illegibleTexts(const QQuickItem* root, const QImage& image, Legibility& seen) {
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
        rect.height() < 2 ||
        std::any_of(seen.covered.begin(), seen.covered.end(),
                    [&](const QRect& popup) { return popup.intersects(rect); }))
        return found;
    auto color = root->property("color").value<QColor>();
    color.setAlphaF(color.alphaF() * ScreenAudit::effectiveOpacity(root));
    const QColor background = colourAround(image, rect);
    const double a = color.alphaF();
    const QColor shown = QColor::fromRgbF(color.redF() * a + background.redF() * (1 - a),
                                          color.greenF() * a + background.greenF() * (1 - a),
                                          color.blueF() * a + background.blueF() * (1 - a));
    const double ratio = ScreenAudit::contrast(shown, background);
    const QString what = QStringLiteral("%1 %2 on %3: %4")
                             .arg(text.left(30), shown.name(), background.name())
                             .arg(ratio, 0, 'f', 2);
    ++seen.checked;
    if (ratio < seen.lowest) {
        seen.lowest = ratio;
        seen.lowestText = what;
    }
    if (ratio < 4.5)
        found.append(what);
    return found;
}

// What is there to read: the window's content and the popups over it, from the topmost dimmer
// up (what a dimmer covers is dimmed on purpose).
QList<const QQuickItem*> readable(QQuickWindow& window) {
    QList<const QQuickItem*> roots;
    for (const QQuickItem* layer : window.contentItem()->childItems()) {
        if (!layer->inherits("QQuickOverlay")) {
            roots.append(layer);
            continue;
        }
        QList<QQuickItem*> stack = layer->childItems();
        std::stable_sort(stack.begin(), stack.end(),
                         [](const QQuickItem* a, const QQuickItem* b) { return a->z() < b->z(); });
        for (const QQuickItem* item : stack)
            if (item->isVisible() && item->inherits("QQuickPopupItem"))
                roots.append(item);
            else if (item->isVisible())
                roots.clear();
    }
    return roots;
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
QStringList unnamedControls(QAccessibleInterface* node, int& checked, QSet<const QObject*>& reached,
                            int depth = 0) {
    static const QList<QAccessible::Role> controls{
        QAccessible::Button,   QAccessible::CheckBox, QAccessible::RadioButton,
        QAccessible::PageTab,  QAccessible::MenuItem, QAccessible::EditableText,
        QAccessible::ListItem, QAccessible::ComboBox, QAccessible::List};
    QStringList found;
    if (!node || !node->isValid() || node->state().invisible || depth > 81)
        return found;
    reached.insert(node->object());
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
    for (int i = 0; i < node->childCount() && depth < 80; ++i)
        found += unnamedControls(node->child(i), checked, reached, depth + 1);
    return found;
}

// The same check for every shown button or text field the walk above did not reach: the
// popups' controls, and a control with no name and no Accessible properties, which drops out
// of the tree altogether.
QStringList unreachedControls(const QQuickItem* item, const QSet<const QObject*>& reached,
                              int& checked) {
    QStringList found;
    const QList<QQuickItem*> children = item->childItems();
    for (QQuickItem* child : children)
        if (child->isVisible())
            found += unreachedControls(child, reached, checked);
    const bool control = item->inherits("QQuickAbstractButton") ||
                         item->inherits("QQuickTextField") || item->inherits("QQuickComboBox");
    if (control && item->isEnabled() && ScreenAudit::effectiveOpacity(item) > 0 &&
        !reached.contains(item)) {
        QSet<const QObject*> alone;
        found += unnamedControls(
            QAccessible::queryAccessibleInterface(const_cast<QQuickItem*>(item)), checked, alone,
            81); // the control only, not what it holds
        // Without Accessible properties a control only gets its interface once a screen
        // reader is active, which it cannot be off screen; its name is then its text.
        if (alone.isEmpty() && item->property("text").toString().trimmed().isEmpty())
            found.append(QStringLiteral("%1 (%2) has no name")
                             .arg(item->objectName(), item->metaObject()->className()));
    }
    return found;
}

} // namespace

double ScreenAudit::contrast(QColor a, QColor b) {
    const auto [dark, light] = std::minmax({luminance(a), luminance(b)}); // by value
    return (light + 0.05) / (dark + 0.05);
}

double ScreenAudit::effectiveOpacity(const QQuickItem* item) {
    double opacity = 1;
    for (; item; item = item->parentItem())
        opacity *= item->opacity();
    return opacity;
}

QStringList ScreenAudit::check(QQuickWindow& window, const QImage& image) {
    Legibility seen{m_checkedTexts, m_lowest, m_lowestText, {}};
    QStringList found;
    const QList<const QQuickItem*> roots = readable(window);
    for (qsizetype i = 0; i < roots.size(); ++i) {
        seen.covered.clear();
        for (const QQuickItem* over : roots.mid(i + 1))
            if (over->inherits("QQuickPopupItem"))
                seen.covered.append(visibleRect(over));
        if (roots[i]->isVisible())
            found += illegibleTexts(roots[i], image, seen);
    }
    m_checkedTexts = seen.checked;
    m_lowest = seen.lowest;
    m_lowestText = seen.lowestText;
    QSet<const QObject*> reached;
    found +=
        unnamedControls(QAccessible::queryAccessibleInterface(&window), m_checkedControls, reached);
    found += unreachedControls(window.contentItem(), reached, m_checkedControls);
    return found;
}
