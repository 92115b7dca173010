#include "OndrelUI/reminders/DesktopCalendarService.h"

#include "OndrelCore/planning/ReminderDate.h"
#include "OndrelUI/reminders/DesktopNotifications.h"
#include "OndrelUI/reminders/Occurrences.h"
#include "OndrelUI/reminders/ReminderTexts.h"

#include <QSettings>

#include <algorithm>
#include <chrono>

namespace {

const QString summaryKey = QStringLiteral("overdue");
const QString settingsGroup = QStringLiteral("reminders");
const QString completeAction = QStringLiteral("complete");
const QString snoozeAction = QStringLiteral("snooze");
const QString defaultAction = QStringLiteral("default");

// A service's lead of any size stays within a year, so instants cannot overflow.
constexpr qint64 maxLeadMinutes = 366 * 24 * 60;
// The timer wakes at least this often.
constexpr std::chrono::milliseconds longestWait = std::chrono::hours{1};
// A wall clock that moved this much more or less than the monotonic one has jumped.
constexpr qint64 jumpToleranceMs = 5000;
// Missed occurrences of a repeating task are walked this far at most.
constexpr int maxMissedSteps = 2000;

qint64 leadOf(const ReminderRequest& request) {
    return std::clamp<qint64>(request.leadMinutes.value_or(0), -maxLeadMinutes, maxLeadMinutes);
}

Instant plus(Instant at, std::chrono::microseconds by) {
    return Instant{at.time + by};
}

QString settingsKey(const QString& key) {
    return QString::fromLatin1(key.toUtf8().toHex());
}

} // namespace

DesktopCalendarService::DesktopCalendarService(DesktopNotifications* notifications,
                                               const ReminderClock* clock, QSettings* settings,
                                               std::chrono::milliseconds jumpCheck, QObject* parent)
    : QObject(parent), m_notifications(notifications), m_clock(clock), m_settings(settings) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &DesktopCalendarService::replan);
    m_checkedWall = m_clock->now();
    m_checkedMonotonic = m_clock->monotonicMs();
    m_jumpCheck.start(jumpCheck);
    connect(&m_jumpCheck, &QTimer::timeout, this, &DesktopCalendarService::checkForJump);
    connect(m_notifications, &DesktopNotifications::actionInvoked, this,
            &DesktopCalendarService::onAction);
    connect(m_notifications, &DesktopNotifications::undelivered, this,
            &DesktopCalendarService::onUndelivered);
}

QCoro::Task<QString> DesktopCalendarService::addReminder(ReminderRequest request) {
    const QString id = add(QString(), std::move(request));
    replan();
    co_return id;
}

QString DesktopCalendarService::add(const QString& key, ReminderRequest request) {
    Entry entry;
    entry.id = QStringLiteral("reminder-%1").arg(++m_lastId);
    entry.key = key.isEmpty() ? entry.id : key;
    entry.request = std::move(request);
    m_entries << entry;
    return entry.id;
}

void DesktopCalendarService::withdraw(const QString& id, bool forgetShown) {
    const Entry* entry = find(id);
    if (!entry)
        return;
    if (forgetShown)
        m_settings->remove(settingsGroup + u'/' + settingsKey(entry->key));
    m_notifications->withdraw(id);
    m_entries.removeIf([&](const Entry& listed) { return listed.id == id; });
    arm();
}

void DesktopCalendarService::forgetOthers(const QSet<QString>& keys) {
    m_settings->beginGroup(settingsGroup);
    QSet<QString> kept;
    for (const QString& key : keys)
        kept << settingsKey(key);
    for (const QString& stored : m_settings->childKeys())
        if (!kept.contains(stored))
            m_settings->remove(stored);
    m_settings->endGroup();
}

DesktopCalendarService::Entry* DesktopCalendarService::find(const QString& id) {
    auto found = std::find_if(m_entries.begin(), m_entries.end(),
                              [&](const Entry& entry) { return entry.id == id; });
    return found == m_entries.end() ? nullptr : &*found;
}

void DesktopCalendarService::replan() {
    const Instant now = m_clock->now();
    QList<Entry*> due;
    for (Entry& entry : m_entries) {
        if (entry.snoozedUntil && *entry.snoozedUntil <= now) {
            entry.snoozedUntil.reset();
            show(entry, entry.shownOccurrence, now);
        }
        if (!entry.planned)
            plan(entry, now);
        if (entry.fireAt && *entry.fireAt <= now)
            due << &entry;
    }
    if (!m_started && due.size() > 1)
        showSummary(due);
    else
        for (const Entry* entry : std::as_const(due))
            show(*entry, entry->occurrence, now);
    m_started = true;
    for (Entry* entry : std::as_const(due)) {
        entry->shownOccurrence = entry->occurrence;
        markShown(*entry, now);
        advance(*entry, now);
    }
    arm();
}

// The first occurrence not shown yet; of several missed ones, the latest.
void DesktopCalendarService::plan(Entry& entry, Instant now) {
    entry.planned = true;
    advance(entry, shownUntil(entry).value_or(Instant{}));
    for (int step = 0; step < maxMissedSteps && entry.fireAt && *entry.fireAt <= now; ++step) {
        const Entry missed = entry;
        advance(entry, *entry.fireAt);
        if (!entry.fireAt || *entry.fireAt > now) {
            entry.fireAt = missed.fireAt;
            entry.occurrence = missed.occurrence;
            return;
        }
    }
}

// The next firing strictly after `after`.
void DesktopCalendarService::advance(Entry& entry, Instant after) {
    const qint64 lead = leadOf(entry.request);
    const auto occurrence = nextOccurrence(entry.request.recurrence, entry.request.dueDate,
                                           plus(after, std::chrono::minutes{lead}));
    entry.fireAt = occurrence ? std::optional(reminderDate(*occurrence, lead)) : std::nullopt;
    if (occurrence)
        entry.occurrence = *occurrence;
}

void DesktopCalendarService::show(const Entry& entry, Instant occurrence, Instant now) {
    Notice notice;
    notice.key = entry.id;
    notice.title = entry.request.title;
    notice.body = ReminderTexts::body(occurrence, now, entry.request.notes.value_or(QString()));
    notice.actions = {{completeAction, QStringLiteral("Выполнить")},
                      {snoozeAction, QStringLiteral("Через 10 минут")},
                      {defaultAction, QStringLiteral("Открыть")}};
    m_notifications->show(notice);
}

void DesktopCalendarService::showSummary(const QList<Entry*>& due) {
    QStringList titles;
    for (const Entry* entry : due)
        titles << entry->request.title;
    Notice notice;
    notice.key = summaryKey;
    notice.title = ReminderTexts::overdueTitle(due.size());
    notice.body = ReminderTexts::titleList(titles);
    notice.actions = {{defaultAction, QStringLiteral("Открыть")}};
    m_notifications->show(notice);
}

void DesktopCalendarService::arm() {
    std::optional<Instant> next;
    for (const Entry& entry : std::as_const(m_entries))
        for (const auto& at : {entry.fireAt, entry.snoozedUntil})
            if (at && (!next || *at < *next))
                next = at;
    if (!next) {
        m_timer.stop();
        return;
    }
    const auto wait =
        std::chrono::duration_cast<std::chrono::milliseconds>(next->time - m_clock->now().time);
    m_timer.start(std::clamp(wait, std::chrono::milliseconds{0}, longestWait));
}

void DesktopCalendarService::checkForJump() {
    const Instant wall = m_clock->now();
    const qint64 monotonic = m_clock->monotonicMs();
    const qint64 wallMs = wall.toMSecsSinceEpoch() - m_checkedWall.toMSecsSinceEpoch();
    const qint64 drift = wallMs - (monotonic - m_checkedMonotonic);
    m_checkedWall = wall;
    m_checkedMonotonic = monotonic;
    if (std::abs(drift) > jumpToleranceMs)
        replan();
}

void DesktopCalendarService::followSleep(const QDBusConnection& systemBus) {
    if (!systemBus.isConnected())
        return;
    QDBusConnection(systemBus).connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
        SLOT(onPrepareForSleep(bool)));
}

void DesktopCalendarService::onPrepareForSleep(bool sleeping) {
    if (!sleeping)
        replan();
}

void DesktopCalendarService::onAction(const QString& key, const QString& action) {
    if (key == summaryKey) {
        Q_EMIT openRequested(QString());
        return;
    }
    Entry* entry = find(key);
    if (!entry)
        return;
    if (action == completeAction) {
        Q_EMIT completeRequested(key);
    } else if (action == snoozeAction) {
        entry->snoozedUntil = plus(m_clock->now(), std::chrono::minutes{snoozeMinutes});
        arm();
    } else if (action == defaultAction) {
        Q_EMIT openRequested(key);
    }
}

void DesktopCalendarService::onUndelivered(const Notice& notice) {
    if (notice.key != summaryKey && !find(notice.key))
        return;
    Q_EMIT inWindow(notice.title + QStringLiteral(" — ") +
                    notice.body.split(u'\n', Qt::SkipEmptyParts).join(QStringLiteral(" · ")));
}

std::optional<Instant> DesktopCalendarService::shownUntil(const Entry& entry) const {
    const QStringList stored =
        m_settings->value(settingsGroup + u'/' + settingsKey(entry.key)).toStringList();
    if (stored.size() != 2 || stored[0] != entry.request.dueDate.toString())
        return std::nullopt;
    return Instant::fromISO8601(stored[1].toStdString());
}

void DesktopCalendarService::markShown(const Entry& entry, Instant until) {
    m_settings->setValue(settingsGroup + u'/' + settingsKey(entry.key),
                         QStringList{entry.request.dueDate.toString(), until.toString()});
}
