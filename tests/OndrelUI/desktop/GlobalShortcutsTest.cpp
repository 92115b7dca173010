#include "OndrelUI/desktop/GlobalShortcuts.h"
#include "OndrelUI/capture/CaptureRequests.h"
#include "OndrelUI/desktop/PortalShortcut.h"
#include "support/PrivateBus.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QSignalSpy>

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

} // namespace

#include "GlobalShortcutsTest.moc"
