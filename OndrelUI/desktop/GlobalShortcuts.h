#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

class CaptureRequests;
class PortalRequest;
class QDBusPendingCallWatcher;

// Ctrl+Alt+R and Ctrl+Alt+N from anywhere, through the desktop portal's GlobalShortcuts where
// the desktop has it (it asks the user once and may bind other keys); nothing where it has not.
// Every call is asynchronous, and each request listens for its answer before it is made.
class GlobalShortcuts : public QObject {
    Q_OBJECT

public:
    GlobalShortcuts(QDBusConnection bus, CaptureRequests* requests, QObject* parent = nullptr);

    // Looks for the portal and registers both shortcuts with it.
    void start();

    static QString recordId() { return QStringLiteral("record"); }
    static QString writeId() { return QStringLiteral("write"); }

Q_SIGNALS:
    // The portal took the shortcuts.
    void bound();
    // No portal, or it refused; the shortcuts are left to the desktop's own settings.
    void unavailable();

private Q_SLOTS:
    void onActivated(const QDBusObjectPath& session, const QString& shortcutId, qulonglong at,
                     const QVariantMap& options);

private:
    using Answer = std::function<void(const QVariantMap& results)>;

    void createSession();
    void bindShortcuts();
    void call(QDBusMessage message, const QString& token, Answer then);
    QString requestPath(const QString& token) const;

    QDBusConnection m_bus;
    CaptureRequests* m_requests;
    QString m_session;
};
