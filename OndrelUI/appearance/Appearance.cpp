#include "OndrelUI/appearance/Appearance.h"

#include "OndrelUI/appearance/ColorSchemePortal.h"

#include <QGuiApplication>
#include <QMetaEnum>
#include <QPalette>
#include <QSettings>

Appearance::Appearance(QSettings* settings, ColorSchemePortal* portal, QObject* parent)
    : QObject(parent), m_settings(settings), m_portal(portal) {
    const auto names = QMetaEnum::fromType<Choice>();
    bool known = false;
    const int stored = names.keyToValue(
        m_settings->value(QString::fromLatin1(settingsKey)).toString().toLatin1().constData(),
        &known);
    if (known)
        m_choice = Choice(stored);
    if (m_portal)
        connect(m_portal, &ColorSchemePortal::prefersDarkChanged, this, &Appearance::update);
    update();
}

void Appearance::setChoice(Choice choice) {
    if (choice == m_choice)
        return;
    m_choice = choice;
    m_settings->setValue(
        QString::fromLatin1(settingsKey),
        QString::fromLatin1(QMetaEnum::fromType<Choice>().valueToKey(int(choice))));
    Q_EMIT choiceChanged();
    update();
}

bool Appearance::systemPrefersDark() const {
    if (m_portal && m_portal->prefersDark())
        return *m_portal->prefersDark();
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

void Appearance::update() {
    const bool dark = m_choice == System ? systemPrefersDark() : m_choice == Dark;
    if (dark == m_dark)
        return;
    m_dark = dark;
    Q_EMIT darkChanged();
}
