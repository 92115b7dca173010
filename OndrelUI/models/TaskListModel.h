#pragma once

#include "OndrelCore/wire/TaskItem.h"

#include <QAbstractListModel>
#include <QList>
#include <QSet>
#include <QtQml/qqmlregistration.h>

// The rows of the root screen's task list: the unfinished tasks, then, when there are finished
// ones, the "Выполнено" header and the finished tasks, each group in the order of `tasks()`.
// It owns that list. A change to one task touches one row (or moves it between the groups), so
// long lists stay smooth; only a new list resets the model.
class TaskListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by AppViewModel")

public:
    enum Role {
        RowIdRole = Qt::UserRole + 1, // the task's id, or headerRowId for the header
        IsHeaderRole,
        TaskIdRole,
        TitleRole,
        DescriptionPreviewRole, // absent (undefined) when there is nothing to show
        StatusRole,             // wire string, e.g. "IN_PROGRESS"
        IsDoneRole,
        IsClosedRole,
        PriorityRole, // wire string, e.g. "HIGH"
        DueDateRole,  // QDateTime, undefined when absent
        HasDeadlineRole,
        IsOverdueRole,
        HasRecurrenceRole,
        ChecklistDoneRole,
        ChecklistTotalRole,
        CompletedAtRole, // QDateTime, undefined when absent
        TagsRole,
        // What the card's facts line shows, decided by TaskFacts.
        DueTextRole,          // the deadline as text; empty when no date is shown
        ShowsNoDeadlineRole,  // the card says "no deadline"
        ChecklistTextRole,    // "done/total"; empty without a checklist
        CompletedTextRole,    // completion time of a done task; empty otherwise
        HasPendingChangeRole, // a change to it waits to be sent
        SpokenTextRole,       // the whole card as one line for a screen reader
    };
    Q_ENUM(Role)

    static constexpr auto headerRowId = "__done_header__";

    explicit TaskListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<TaskItem>& tasks() const { return m_tasks; }
    QList<TaskItem> activeTasks() const;
    QList<TaskItem> doneTasks() const;

    // Position in tasks() of the first task with that id, or -1.
    qsizetype indexOfTask(const QString& id) const;
    // The task shown at a row; nullptr for the header or a row out of range.
    const TaskItem* taskAtRow(int row) const;
    // The row that shows tasks()[index].
    int rowOfTask(qsizetype index) const;

    // Keyboard moves through the cards: the next task row from `row` in the direction of
    // `step`, past the header; `row` itself (or -1) when there is none that way. From -1 the
    // first task row is next.
    Q_INVOKABLE int adjacentTaskRow(int row, int step) const;
    // The id of the task shown at a row; empty for the header or a row out of range.
    Q_INVOKABLE QString taskIdAtRow(int row) const;

    // A whole new list: resets the model. Returns false (and signals nothing) when unchanged.
    bool setTasks(QList<TaskItem> tasks);
    // Replaces tasks()[index]; the row changes in place, or moves when the task crosses between
    // unfinished and finished. Returns false (and signals nothing) when the task is unchanged.
    bool replaceTask(qsizetype index, TaskItem task);
    void insertTask(qsizetype index, TaskItem task);
    void removeTask(qsizetype index);
    // Removes every task with that id; returns them with their positions, ascending.
    QList<std::pair<qsizetype, TaskItem>> takeTasks(const QString& id);
    // Puts taken tasks back at their old positions, except those listed again meanwhile;
    // false when none went back.
    bool restoreTasks(const QList<std::pair<qsizetype, TaskItem>>& taken);
    // The tasks with a change not yet accepted by the service.
    void setPendingIds(QSet<QString> ids);

private:
    static QVariant headerRowData(int role);
    int headerRow() const { return int(m_active.size()); }
    bool hasHeader() const { return !m_done.isEmpty(); }
    void rebuildGroups();
    void moveToDone(qsizetype index, TaskItem task);
    void moveToActive(qsizetype index, TaskItem task);
    void shiftIndices(qsizetype from, qsizetype delta);

    QList<TaskItem> m_tasks;
    // Positions in m_tasks of the unfinished and the finished tasks, ascending.
    QList<qsizetype> m_active;
    QList<qsizetype> m_done;
    QSet<QString> m_pendingIds;
};
