#pragma once

#include "OndrelCore/wire/Instant.h"

#include <QObject>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

#include <optional>

// Whether the service can be reached, as the thin line under the header says it, and when to
// try again: as soon as the platform reports the network back (where it can), otherwise after
// a pause that doubles from two seconds up to five minutes. A sync that failed for another
// reason is said in the same line and not retried on its own.
class ConnectionState : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by the main screen's view model")

    Q_PROPERTY(bool offline READ offline NOTIFY changed)
    // Empty while everything is in step.
    Q_PROPERTY(QString line READ line NOTIFY changed)

public:
    explicit ConnectionState(QObject* parent = nullptr);

    bool offline() const { return m_offline; }
    const QString& line() const { return m_line; }
    bool retryScheduled() const { return m_retry.isActive(); }

    void setUnreachable(const std::optional<Instant>& lastSynced);
    void setSyncFailed(const std::optional<Instant>& lastSynced);
    void setReachable();

Q_SIGNALS:
    void changed();
    // Time to send the queue and pull again.
    void retryDue();

private:
    void watchNetwork();
    void setLine(bool offline, QString line);

    bool m_offline = false;
    QString m_line;
    int m_pauses = 0; // retries since the service was last reached
    QTimer m_retry;
};
