#include "OndrelUI/desktop/TrayIcon.h"
#include "OndrelUI/capture/CaptureRequests.h"
#include "OndrelUI/reminders/DesktopNotifications.h"
#include "reminders/FakeNotificationServer.h"
#include "support/PrivateBus.h"
#include "support/WaitUntil.h"

#include <QGuiApplication>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

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

} // namespace
