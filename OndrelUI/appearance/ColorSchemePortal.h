#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QObject>

#include <optional>

// The desktop's colour-scheme preference from the settings portal, read once and then followed
// through its change signal. Every call is asynchronous, and nothing is asked of a bus where the
// portal's name has no owner, so a missing or broken portal never stalls the window.
class ColorSchemePortal : public QObject {
    Q_OBJECT

public:
    explicit ColorSchemePortal(QDBusConnection bus, QObject* parent = nullptr);

    // Starts the first read; prefersDark() stays absent until an answer arrives.
    void start();
    // True for dark, false for light, absent while unknown or when the desktop has no
    // preference.
    std::optional<bool> prefersDark() const { return m_prefersDark; }

    // The preference carried by a portal value: a uint, possibly wrapped in one or two
    // variants (Read wraps twice, ReadOne and SettingChanged once). 1 is dark, 2 light.
    static std::optional<bool> preferenceFrom(const QVariant& value);

Q_SIGNALS:
    void prefersDarkChanged();

public Q_SLOTS:
    // The portal's change signal: namespace, key and value.
    void onSettingChanged(const QDBusMessage& change);

private:
    void read(const QString& method);
    void setPrefersDark(std::optional<bool> dark);

    QDBusConnection m_bus;
    std::optional<bool> m_prefersDark;
};
