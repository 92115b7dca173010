#include "OndrelUI/desktop/TrayIcon.h"

#include "OndrelUI/capture/CaptureRequests.h"
#include "OndrelUI/reminders/DesktopNotifications.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QSettings>
#include <QWindow>

namespace {

const QString explainedKey = QStringLiteral("tray/closeExplained");

// The installed icon when the theme has it; otherwise a plain disc in the desktop's accent.
QIcon trayIcon() {
    QPixmap disc(64, 64);
    disc.fill(Qt::transparent);
    QPainter painter(&disc);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QGuiApplication::palette().color(QPalette::Highlight));
    painter.drawEllipse(disc.rect().adjusted(4, 4, -4, -4));
    painter.end();
    // The icon the desktop entry names (installed as hicolor "ondrel").
    return QIcon::fromTheme(QStringLiteral("ondrel"), QIcon(disc));
}

} // namespace

TrayIcon::TrayIcon(QWindow* window, CaptureRequests* requests, DesktopNotifications* notifications,
                   QSettings* settings, bool trayAvailable, QObject* parent)
    : QObject(parent), m_window(window), m_notifications(notifications), m_settings(settings),
      m_available(trayAvailable), m_menu(std::make_unique<QMenu>()) {
    m_menu->addAction(QStringLiteral("Открыть Ondrel"), this, &TrayIcon::openRequested);
    m_menu->addSeparator();
    m_menu->addAction(CaptureRequests::writeText(), requests, &CaptureRequests::write);
    m_menu->addAction(CaptureRequests::recordText(), requests, &CaptureRequests::record);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("Выйти"), qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    m_icon.setIcon(trayIcon());
    m_icon.setToolTip(QStringLiteral("Ondrel"));
    m_icon.setContextMenu(m_menu.get());
    connect(&m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    Q_EMIT openRequested();
            });
    if (!m_available)
        return;
    m_icon.show();
    m_window->installEventFilter(this);
}

TrayIcon::~TrayIcon() {
    m_icon.setContextMenu(nullptr);
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window || event->type() != QEvent::Close)
        return false;
    event->ignore();
    m_window->hide();
    explainOnce();
    return true;
}

void TrayIcon::explainOnce() {
    if (m_settings->value(explainedKey).toBool())
        return;
    m_settings->setValue(explainedKey, true);
    Notice notice;
    notice.key = QStringLiteral("tray");
    notice.title = QStringLiteral("Ondrel работает в фоне");
    notice.body = QStringLiteral("Напоминания придут вовремя. Окно открывается из значка в трее, "
                                 "а «Выйти» там же или Ctrl+Q закрывает Ondrel.");
    m_notifications->show(notice);
}
