#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

class ColorSchemePortal;
class QSettings;

// Light or dark: the user's choice from the "Оформление" menu, remembered in the settings, and
// for "Как в системе" the desktop's preference (the portal when it answers, otherwise whether
// the palette's window colour is dark).
class Appearance : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the application with its settings")

    Q_PROPERTY(Choice choice READ choice WRITE setChoice NOTIFY choiceChanged)
    Q_PROPERTY(bool dark READ dark NOTIFY darkChanged)

public:
    enum Choice { System, Light, Dark };
    Q_ENUM(Choice)

    // `settings` and `portal` are not owned and must outlive this; without a portal "Как в
    // системе" follows the palette alone.
    explicit Appearance(QSettings* settings, ColorSchemePortal* portal = nullptr,
                        QObject* parent = nullptr);

    Choice choice() const { return m_choice; }
    void setChoice(Choice choice);
    bool dark() const { return m_dark; }

    static constexpr auto settingsKey = "appearance/choice";

Q_SIGNALS:
    void choiceChanged();
    void darkChanged();

private:
    bool systemPrefersDark() const;
    void update();

    QSettings* m_settings;
    ColorSchemePortal* m_portal;
    Choice m_choice = System;
    bool m_dark = false;
};
