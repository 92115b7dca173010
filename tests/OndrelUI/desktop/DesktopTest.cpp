#include "OndrelUI/capture/CaptureRequests.h"
#include "OndrelUI/desktop/GlobalShortcuts.h"
#include "OndrelUI/desktop/LoginAutostart.h"
#include "OndrelUI/desktop/PortalShortcut.h"
#include "OndrelUI/desktop/TrayIcon.h"
#include "OndrelUI/reminders/DesktopNotifications.h"
#include "reminders/FakeNotificationServer.h"
#include "support/Files.h"
#include "support/PrivateBus.h"
#include "support/WaitUntil.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QGuiApplication>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

// The portal's GlobalShortcuts as far as Ondrel uses it: answers each request on the path
// made of the caller's name and its token, keeps what was bound, and can press a key.
class FakeShortcutsPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)

public:
    explicit FakeShortcutsPortal(QDBusConnection bus) : m_bus(std::move(bus)) {
        m_bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                             QDBusConnection::ExportAllSlots |
                                 QDBusConnection::ExportAllProperties);
        m_bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }
    uint version() const { return 1; }

    QList<PortalShortcut> bound;
    QString session = QStringLiteral("/org/freedesktop/portal/desktop/session/1_2/s");

    void press(const QString& id, const QString& inSession) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.GlobalShortcuts"), QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(inSession)) << id << qulonglong(1)
               << QVariantMap();
        m_bus.send(signal);
    }

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& call) {
        return respond(call, options, {{QStringLiteral("session_handle"), session}});
    }
    QDBusObjectPath BindShortcuts(const QDBusObjectPath& inSession,
                                  const QList<PortalShortcut>& shortcuts, const QString&,
                                  const QVariantMap& options, const QDBusMessage& call) {
        if (inSession.path() == session)
            bound = shortcuts;
        return respond(call, options, {});
    }

private:
    // The answer comes as a signal on the request's path, right after the call returns it.
    QDBusObjectPath respond(const QDBusMessage& call, const QVariantMap& options,
                            const QVariantMap& results) {
        QString sender = call.service().mid(1);
        sender.replace(u'.', u'_');
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender +
                             u'/' + options.value(QStringLiteral("handle_token")).toString();
        QDBusMessage response = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << 0u << results;
        m_bus.send(response);
        return QDBusObjectPath(path);
    }

    QDBusConnection m_bus;
};

// Without the portal nothing is registered; with it, both keys are, and only its own session's
// presses arrive.
TEST(GlobalShortcutsTest, RegistersBothWithThePortalAndCarriesItsKeys) {
    PrivateBus bus;
    CaptureRequests requests;
    GlobalShortcuts alone(bus.connect(), &requests);
    QSignalSpy unavailable(&alone, &GlobalShortcuts::unavailable);
    alone.start();
    EXPECT_TRUE(unavailable.wait());

    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    FakeShortcutsPortal portal(bus.connect());
    GlobalShortcuts shortcuts(bus.connect(), &requests);
    QSignalSpy bound(&shortcuts, &GlobalShortcuts::bound);
    shortcuts.start();
    ASSERT_TRUE(bound.wait());

    ASSERT_EQ(portal.bound.size(), 2);
    EXPECT_EQ(portal.bound[0].id, QStringLiteral("record"));
    EXPECT_EQ(portal.bound[0].properties.value(QStringLiteral("preferred_trigger")),
              QStringLiteral("CTRL+ALT+r"));
    EXPECT_EQ(portal.bound[1].properties.value(QStringLiteral("description")),
              QStringLiteral("Написать задачу"));

    QSignalSpy record(&requests, &CaptureRequests::recordRequested);
    QSignalSpy write(&requests, &CaptureRequests::writeRequested);
    portal.press(QStringLiteral("write"), QStringLiteral("/org/freedesktop/portal/other"));
    portal.press(QStringLiteral("record"), portal.session);
    ASSERT_TRUE(record.wait());
    EXPECT_EQ(write.size(), 0); // another session's key is not ours
}

void trigger(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action->trigger();
    ADD_FAILURE() << "no entry " << text.toStdString();
}

TEST(TrayIconTest, MenuCarriesRequestsAndClosingHidesOnlyWhileThereIsATray) {
    PrivateBus bus;
    FakeNotificationServer server(bus.connect());
    DesktopNotifications notifications(bus.connect(), QStringLiteral("ondrel"));
    QTemporaryDir directory;
    QSettings settings(directory.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
    CaptureRequests requests;
    QGuiApplication::setQuitOnLastWindowClosed(false);

    QWindow window;
    window.show();
    TrayIcon tray(&window, &requests, &notifications, &settings, true);
    QSignalSpy open(&tray, &TrayIcon::openRequested);
    QSignalSpy write(&requests, &CaptureRequests::writeRequested);
    QSignalSpy record(&requests, &CaptureRequests::recordRequested);
    trigger(tray.menu(), QStringLiteral("Открыть Ondrel"));
    trigger(tray.menu(), QStringLiteral("Написать задачу"));
    trigger(tray.menu(), QStringLiteral("Записать голосом"));
    EXPECT_EQ((QList<qsizetype>{open.size(), write.size(), record.size()}),
              (QList<qsizetype>{1, 1, 1}));

    // Twice closed, once explained.
    for (int close = 0; close < 2; ++close) {
        window.show();
        EXPECT_FALSE(window.close()); // refused: hidden instead
        EXPECT_FALSE(window.isVisible());
    }
    ASSERT_TRUE(waitUntil([&] { return !server.log.isEmpty(); }));
    EXPECT_TRUE(server.log.value(0).startsWith(QStringLiteral("notify Ondrel работает в фоне")));

    QWindow plain;
    plain.show();
    TrayIcon none(&plain, &requests, &notifications, &settings, false);
    EXPECT_TRUE(plain.close());
    QCoreApplication::processEvents();
    EXPECT_EQ(plain.handle(), nullptr); // really closed, not hidden
    EXPECT_EQ(server.log.size(), 1);
    QGuiApplication::setQuitOnLastWindowClosed(true);
}

TEST(LoginAutostartTest, WritesAnEntryThatStartsHiddenAndRemovesIt) {
    QTemporaryDir config;
    LoginAutostart autostart(config.path(), QStringLiteral("org.ondrel.Ondrel"),
                             QStringLiteral("/opt/my apps/50%/ondrel\"$"));
    QSignalSpy changed(&autostart, &LoginAutostart::enabledChanged);
    EXPECT_FALSE(autostart.enabled());

    autostart.setEnabled(true);
    EXPECT_TRUE(autostart.enabled());
    const QString entry = config.filePath(QStringLiteral("autostart/org.ondrel.Ondrel.desktop"));
    const QByteArray text = readFile(entry);
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n")) << text.toStdString();
    // Quoted for the space, the quote and the dollar (each escape doubled by the file's own
    // escaping), and the percent sign doubled for the field codes.
    EXPECT_TRUE(text.contains("\nExec=\"/opt/my apps/50%%/ondrel\\\\\"\\\\$\" --hidden\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("\nType=Application\n"));

    autostart.setEnabled(true); // already on: nothing to do
    autostart.setEnabled(false);
    EXPECT_FALSE(autostart.enabled());
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_EQ(changed.size(), 2);
}

} // namespace

#include "DesktopTest.moc"
