#include "OndrelUI/appearance/Appearance.h"
#include "OndrelUI/appearance/ColorSchemePortal.h"
#include "support/PrivateBus.h"
#include "support/WaitUntil.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A settings portal of the first version, which has Read (a value wrapped twice) and no
// ReadOne.
class OldSettingsPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public Q_SLOTS:
    QDBusVariant Read(const QString& nameSpace, const QString& key) {
        ++reads;
        const bool known = nameSpace == u"org.freedesktop.appearance" && key == u"color-scheme";
        return QDBusVariant(QVariant::fromValue(QDBusVariant(known ? 1u : 0u)));
    }

public:
    int reads = 0;
};

// The desktop's preference through the portal on a private bus, followed while it changes, and
// the user's choice over it, remembered.
TEST(Appearance, Follows_the_portal_and_keeps_the_choice) {
    PrivateBus bus;
    QDBusConnection desktop = bus.connect();
    QDBusConnection app = bus.connect();
    QTemporaryDir directory;
    QSettings settings(directory.filePath(QStringLiteral("a.ini")), QSettings::IniFormat);

    ColorSchemePortal absent(app);
    absent.start(); // no owner: nothing is asked, the palette (light here) decides
    Appearance withoutPortal(&settings, &absent);

    OldSettingsPortal portal;
    ASSERT_TRUE(desktop.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                                       QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(desktop.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    ColorSchemePortal present(app);
    present.start();
    Appearance appearance(&settings, &present);
    EXPECT_TRUE(waitUntil([&] { return appearance.dark(); }));
    EXPECT_FALSE(withoutPortal.dark());

    const auto changed = [&](const char* nameSpace, uint scheme) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("SettingChanged"));
        signal << QString::fromLatin1(nameSpace) << QStringLiteral("color-scheme")
               << QVariant::fromValue(QDBusVariant(scheme));
        desktop.send(signal);
    };
    changed("org.freedesktop.appearance", 2);
    EXPECT_TRUE(waitUntil([&] { return !appearance.dark(); }));
    QSignalSpy flips(&appearance, &Appearance::darkChanged);
    changed("org.other", 1);                  // another setting's change is not ours
    changed("org.freedesktop.appearance", 0); // no preference: the palette's light
    EXPECT_TRUE(waitUntil([&] { return !present.prefersDark().has_value(); }));
    EXPECT_EQ(flips.count(), 0);
    EXPECT_EQ(portal.reads, 1);

    appearance.setChoice(Appearance::Dark); // the choice outranks the desktop
    EXPECT_TRUE(appearance.dark());
    EXPECT_EQ(Appearance(&settings).choice(), Appearance::Dark);
    settings.setValue(QString::fromLatin1(Appearance::settingsKey), QStringLiteral("Sepia"));
    EXPECT_EQ(Appearance(&settings).choice(), Appearance::System);
}

} // namespace

#include "AppearanceTest.moc"
