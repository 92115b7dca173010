#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include <memory>

class CaptureRequests;
class DesktopNotifications;
class QMenu;
class QSettings;
class QWindow;

// The icon in the desktop's tray with its menu. While there is a tray, closing the window only
// hides it, so reminders keep coming; the first time a notification says so. Without a tray the
// icon stays hidden and closing the window quits, as before.
class TrayIcon : public QObject {
    Q_OBJECT

public:
    TrayIcon(QWindow* window, CaptureRequests* requests, DesktopNotifications* notifications,
             QSettings* settings, bool trayAvailable, QObject* parent = nullptr);
    ~TrayIcon() override;

    QMenu* menu() const { return m_menu.get(); }
    bool keepsRunning() const { return m_available; }

Q_SIGNALS:
    // "Открыть Ondrel" or a click on the icon.
    void openRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void explainOnce();

    QWindow* m_window;
    DesktopNotifications* m_notifications;
    QSettings* m_settings;
    bool m_available;
    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon m_icon;
};
