#include "OndrelUI/reminders/ReminderPlanner.h"

#include "OndrelCore/planning/ReminderScheduler.h"
#include "OndrelUI/reminders/DesktopCalendarService.h"
#include "OndrelUI/reminders/TaskCalendar.h"
#include "OndrelUI/viewmodels/AppViewModel.h"
#include "OndrelUI/viewmodels/SessionAttempt.h"

#include <QPointer>
#include <QSet>

namespace {

bool wantsReminder(const TaskItem& task) {
    return task.hasDeadline && task.dueDate && !task.deleted && !isClosed(task.status);
}

// What a reminder is made of: another value of any of these plans it anew.
bool sameReminder(const TaskItem& a, const TaskItem& b) {
    return a.title == b.title && a.body == b.body && a.dueDate == b.dueDate &&
           a.reminderLead == b.reminderLead && a.recurrence == b.recurrence;
}

} // namespace

ReminderPlanner::ReminderPlanner(AppViewModel* viewModel, DesktopCalendarService* calendar,
                                 std::chrono::milliseconds coalesce, QObject* parent)
    : QObject(parent), m_viewModel(viewModel), m_calendar(calendar) {
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(coalesce);
    connect(&m_coalesce, &QTimer::timeout, this, [this] { load(); });
    connect(m_viewModel, &AppViewModel::tasksChanged, this, &ReminderPlanner::refresh);
    connect(m_calendar, &DesktopCalendarService::completeRequested, this,
            [this](const QString& id) { complete(id); });
    connect(m_calendar, &DesktopCalendarService::openRequested, this, &ReminderPlanner::open);
    connect(m_calendar, &DesktopCalendarService::inWindow, m_viewModel,
            &AppViewModel::setReminderNotice);
    refresh();
}

// Signing out ends the reminders of this account; what was shown stays remembered.
ReminderPlanner::~ReminderPlanner() {
    for (const Planned& planned : std::as_const(m_planned))
        m_calendar->withdraw(planned.reminderId, false);
}

void ReminderPlanner::refresh() {
    m_coalesce.start();
}

QCoro::Task<void> ReminderPlanner::load() {
    if (m_loading) {
        m_loadAgain = true;
        co_return;
    }
    QPointer<ReminderPlanner> self(this);
    m_loading = true;
    do {
        m_loadAgain = false;
        auto calling =
            attempt(m_viewModel->session(), [](APIClient api) { return api.listTasks(); });
        auto outcome = co_await calling;
        if (!self)
            co_return;
        // Unreadable now: the reminders planned stay as they are until the next change.
        if (outcome.value) {
            auto applying = apply(std::move(*outcome.value));
            co_await applying;
            if (!self)
                co_return;
        }
    } while (m_loadAgain);
    m_loading = false;
    Q_EMIT planned();
}

QCoro::Task<void> ReminderPlanner::apply(QList<TaskItem> tasks) {
    QSet<QString> wanted;
    for (const TaskItem& task : tasks)
        if (wantsReminder(task))
            wanted << task.id;
    for (auto planned = m_planned.begin(); planned != m_planned.end();) {
        const auto now = std::find_if(tasks.cbegin(), tasks.cend(), [&](const TaskItem& task) {
            return task.id == planned.key();
        });
        if (wanted.contains(planned.key()) && sameReminder(*now, planned->task)) {
            planned->task = *now;
            ++planned;
            continue;
        }
        // A renamed task keeps the record of what was shown; a new date has none anyway.
        m_calendar->withdraw(planned->reminderId, !wanted.contains(planned.key()));
        planned = m_planned.erase(planned);
    }
    for (const TaskItem& task : std::as_const(tasks)) {
        if (!wanted.contains(task.id) || m_planned.contains(task.id))
            continue;
        const ReminderScheduler scheduler(std::make_shared<TaskCalendar>(m_calendar, task.id));
        auto scheduling = scheduler.scheduleIfNeeded(task);
        const std::optional<QString> id = co_await scheduling;
        if (id)
            m_planned.insert(task.id, Planned{*id, task});
    }
    m_calendar->forgetOthers(wanted);
    m_calendar->replan();
}

const TaskItem* ReminderPlanner::taskOf(const QString& reminderId) const {
    for (const Planned& planned : m_planned)
        if (planned.reminderId == reminderId)
            return &planned.task;
    return nullptr;
}

QCoro::Task<void> ReminderPlanner::complete(QString reminderId) {
    const TaskItem* task = taskOf(reminderId);
    if (!task)
        co_return;
    QPointer<ReminderPlanner> self(this);
    auto completing = m_viewModel->complete(*task);
    co_await completing;
    if (self)
        refresh();
}

void ReminderPlanner::open(const QString& reminderId) {
    Q_EMIT windowRequested();
    if (const TaskItem* task = taskOf(reminderId))
        m_viewModel->showTask(*task);
}
