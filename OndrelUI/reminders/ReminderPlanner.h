#pragma once

#include "OndrelCore/wire/TaskItem.h"

#include <QCoroTask>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <chrono>

class AppViewModel;
class DesktopCalendarService;

// Keeps one reminder per open task with a deadline, across every folder: after each change of
// the view model's list it reads all tasks from the service and plans what changed, withdrawing
// the reminders of tasks done, deleted, without a deadline or with another date. A reminder's
// actions go through the view model, like the card's.
class ReminderPlanner : public QObject {
    Q_OBJECT

public:
    // Changes closer together than `coalesce` are read once.
    ReminderPlanner(AppViewModel* viewModel, DesktopCalendarService* calendar,
                    std::chrono::milliseconds coalesce = std::chrono::milliseconds{200},
                    QObject* parent = nullptr);
    ~ReminderPlanner() override;

    // Reads the tasks again soon.
    void refresh();
    // A reading of the tasks is under way or about to start.
    bool isPlanning() const { return m_loading || m_coalesce.isActive(); }

Q_SIGNALS:
    // A reading of the tasks has been planned.
    void planned();
    // The window is to come up.
    void windowRequested();

private:
    struct Planned {
        QString reminderId;
        TaskItem task;
    };

    QCoro::Task<void> load();
    QCoro::Task<void> apply(QList<TaskItem> tasks);
    QCoro::Task<void> complete(QString reminderId);
    void open(const QString& reminderId);
    const TaskItem* taskOf(const QString& reminderId) const;

    AppViewModel* m_viewModel;
    DesktopCalendarService* m_calendar;
    QHash<QString, Planned> m_planned; // by task id
    QTimer m_coalesce;
    bool m_loading = false;
    bool m_loadAgain = false;
};
