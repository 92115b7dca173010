#pragma once

#include "OndrelCore/planning/CalendarService.h"
#include "OndrelUI/reminders/Notice.h"
#include "OndrelUI/reminders/ReminderClock.h"

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <chrono>
#include <optional>

class DesktopNotifications;
class QSettings;

// Reminders as desktop notifications, fired at reminderDate(due, lead) of each occurrence.
// Times are instants read from `clock`; one timer waits for the earliest. After a suspend or a
// jump of the wall clock everything is planned again from the clock, so nothing drifts. What
// came due while Ondrel was not running fires once at the first planning, gathered into one
// notice when there are several; which occurrences were shown is kept in `settings`.
class DesktopCalendarService : public QObject, public CalendarService {
    Q_OBJECT

public:
    // The wall clock is compared with the monotonic one every `jumpCheck`.
    DesktopCalendarService(DesktopNotifications* notifications, const ReminderClock* clock,
                           QSettings* settings,
                           std::chrono::milliseconds jumpCheck = std::chrono::seconds{30},
                           QObject* parent = nullptr);

    // A reminder known by its own id only.
    QCoro::Task<QString> addReminder(ReminderRequest request) override;
    // `key` names what the reminder is for (a task id) across restarts. Takes effect at the
    // next replan().
    QString add(const QString& key, ReminderRequest request);
    // Cancels the reminder and closes its notice; `forgetShown` also drops the record of what
    // was shown for its key.
    void withdraw(const QString& id, bool forgetShown = true);
    // Drops the records of what was shown for keys other than these.
    void forgetOthers(const QSet<QString>& keys);
    // Fires what is due by now and waits for the next.
    void replan();
    // Plans again when logind reports the machine awake; nothing when there is no such bus.
    void followSleep(const QDBusConnection& systemBus);

    static constexpr int snoozeMinutes = 10;

Q_SIGNALS:
    void completeRequested(const QString& id);
    // Empty id: the window only.
    void openRequested(const QString& id);
    // A notice the desktop could not show, as one line for the window.
    void inWindow(const QString& line);

private Q_SLOTS:
    void onPrepareForSleep(bool sleeping);

private:
    struct Entry {
        QString id;
        QString key;
        ReminderRequest request;
        std::optional<Instant> fireAt;
        Instant occurrence;
        std::optional<Instant> snoozedUntil;
        Instant shownOccurrence;
        bool planned = false;
    };

    Entry* find(const QString& id);
    void plan(Entry& entry, Instant now);
    void advance(Entry& entry, Instant after);
    void show(const Entry& entry, Instant occurrence, Instant now);
    void showSummary(const QList<Entry*>& due);
    void arm();
    void checkForJump();
    void onAction(const QString& key, const QString& action);
    void onUndelivered(const Notice& notice);
    std::optional<Instant> shownUntil(const Entry& entry) const;
    void markShown(const Entry& entry, Instant until);

    DesktopNotifications* m_notifications;
    const ReminderClock* m_clock;
    QSettings* m_settings;
    QList<Entry> m_entries;
    QTimer m_timer;
    QTimer m_jumpCheck;
    Instant m_checkedWall;
    qint64 m_checkedMonotonic = 0;
    quint64 m_lastId = 0;
    bool m_started = false;
};
