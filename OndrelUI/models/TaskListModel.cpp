#include "OndrelUI/models/TaskListModel.h"

#include "OndrelUI/config/AppConfig.h"
#include "OndrelUI/models/TaskFacts.h"

#include <QTimeZone>

#include <algorithm>

namespace {

qsizetype lowerBound(const QList<qsizetype>& list, qsizetype value) {
    return std::lower_bound(list.begin(), list.end(), value) - list.begin();
}

QVariant optionalDate(const std::optional<Instant>& instant) {
    return instant ? QVariant(instant->toQDateTime()) : QVariant();
}

} // namespace

TaskListModel::TaskListModel(QObject* parent) : QAbstractListModel(parent) {}

int TaskListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return int(m_active.size() + (hasHeader() ? 1 + m_done.size() : 0));
}

QVariant TaskListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TaskItem* task = taskAtRow(index.row());
    if (!task)
        return headerRowData(role);
    switch (role) {
    case RowIdRole:
    case TaskIdRole:
        return task->id;
    case IsHeaderRole:
        return false;
    case TitleRole:
        return task->title;
    case DescriptionPreviewRole: {
        const auto preview =
            AppConfig::descriptionPreview(task->body, AppConfig::taskDescriptionPreviewLimit);
        return preview ? QVariant(*preview) : QVariant();
    }
    case StatusRole:
        return rawValue(task->status);
    case IsDoneRole:
        return TaskFacts::isDone(*task);
    case IsClosedRole:
        return isClosed(task->status);
    case PriorityRole:
        return rawValue(task->priority);
    case DueDateRole:
        return optionalDate(task->dueDate);
    case HasDeadlineRole:
        return task->hasDeadline;
    case IsOverdueRole:
        return TaskFacts::isOverdue(*task, Instant::now());
    case SpokenTextRole:
        return TaskFacts::spokenText(*task, QTimeZone::systemTimeZone(), Instant::now());
    case HasRecurrenceRole:
        return task->recurrence.has_value();
    case ChecklistDoneRole:
        return task->checklist ? int(std::count_if(task->checklist->begin(), task->checklist->end(),
                                                   [](const auto& item) { return item.done; }))
                               : 0;
    case ChecklistTotalRole:
        return task->checklist ? int(task->checklist->size()) : 0;
    case CompletedAtRole:
        return optionalDate(task->completedAt);
    case TagsRole:
        return QStringList(task->tags);
    case DueTextRole:
        return TaskFacts::dueText(*task, QTimeZone::systemTimeZone());
    case ShowsNoDeadlineRole:
        return TaskFacts::showsNoDeadline(*task);
    case ChecklistTextRole:
        return TaskFacts::checklistText(*task);
    case CompletedTextRole:
        return TaskFacts::completedText(*task, QTimeZone::systemTimeZone());
    case HasPendingChangeRole:
        return m_pendingIds.contains(task->id);
    default:
        return {};
    }
}

// The header row reads as an empty task, so that a recycled card whose row turns into the
// header redraws from plain values before it is replaced.
QVariant TaskListModel::headerRowData(int role) {
    switch (role) {
    case RowIdRole:
        return QString::fromLatin1(headerRowId);
    case IsHeaderRole:
        return true;
    case IsDoneRole:
    case IsClosedRole:
    case HasDeadlineRole:
    case IsOverdueRole:
    case HasRecurrenceRole:
    case ShowsNoDeadlineRole:
    case HasPendingChangeRole:
        return false;
    case ChecklistDoneRole:
    case ChecklistTotalRole:
        return 0;
    case TagsRole:
        return QStringList();
    case TaskIdRole:
    case TitleRole:
    case StatusRole:
    case PriorityRole:
    case DueTextRole:
    case ChecklistTextRole:
    case CompletedTextRole:
    case SpokenTextRole:
        return QString();
    default: // the description preview and the dates are absent
        return {};
    }
}

QHash<int, QByteArray> TaskListModel::roleNames() const {
    return {
        {RowIdRole, "rowId"},
        {IsHeaderRole, "isHeader"},
        {TaskIdRole, "taskId"},
        {TitleRole, "title"},
        {DescriptionPreviewRole, "descriptionPreview"},
        {StatusRole, "status"},
        {IsDoneRole, "isDone"},
        {IsClosedRole, "isClosed"},
        {PriorityRole, "priority"},
        {DueDateRole, "dueDate"},
        {HasDeadlineRole, "hasDeadline"},
        {IsOverdueRole, "isOverdue"},
        {HasRecurrenceRole, "hasRecurrence"},
        {ChecklistDoneRole, "checklistDone"},
        {ChecklistTotalRole, "checklistTotal"},
        {CompletedAtRole, "completedAt"},
        {TagsRole, "tags"},
        {DueTextRole, "dueText"},
        {ShowsNoDeadlineRole, "showsNoDeadline"},
        {ChecklistTextRole, "checklistText"},
        {CompletedTextRole, "completedText"},
        {SpokenTextRole, "spokenText"},
        {HasPendingChangeRole, "hasPendingChange"},
    };
}

QList<TaskItem> TaskListModel::activeTasks() const {
    QList<TaskItem> result;
    result.reserve(m_active.size());
    for (qsizetype index : m_active)
        result.append(m_tasks[index]);
    return result;
}

QList<TaskItem> TaskListModel::doneTasks() const {
    QList<TaskItem> result;
    result.reserve(m_done.size());
    for (qsizetype index : m_done)
        result.append(m_tasks[index]);
    return result;
}

qsizetype TaskListModel::indexOfTask(const QString& id) const {
    const auto found = std::find_if(m_tasks.begin(), m_tasks.end(),
                                    [&](const TaskItem& task) { return task.id == id; });
    return found == m_tasks.end() ? -1 : found - m_tasks.begin();
}

const TaskItem* TaskListModel::taskAtRow(int row) const {
    if (row < 0)
        return nullptr;
    if (row < headerRow())
        return &m_tasks[m_active[row]];
    const qsizetype doneRow = row - headerRow() - 1;
    if (doneRow < 0 || doneRow >= m_done.size())
        return nullptr;
    return &m_tasks[m_done[doneRow]];
}

int TaskListModel::rowOfTask(qsizetype index) const {
    if (isClosed(m_tasks[index].status))
        return headerRow() + 1 + int(lowerBound(m_done, index));
    return int(lowerBound(m_active, index));
}

int TaskListModel::adjacentTaskRow(int row, int step) const {
    const int direction = step < 0 ? -1 : 1;
    const int from = row < 0 ? (direction > 0 ? -1 : rowCount()) : row;
    for (int next = from + direction; next >= 0 && next < rowCount(); next += direction)
        if (taskAtRow(next))
            return next;
    return row;
}

QString TaskListModel::taskIdAtRow(int row) const {
    const TaskItem* task = taskAtRow(row);
    return task ? task->id : QString();
}

bool TaskListModel::setTasks(QList<TaskItem> tasks) {
    if (tasks == m_tasks)
        return false;
    beginResetModel();
    m_tasks = std::move(tasks);
    rebuildGroups();
    endResetModel();
    return true;
}

void TaskListModel::rebuildGroups() {
    m_active.clear();
    m_done.clear();
    for (qsizetype i = 0; i < m_tasks.size(); ++i)
        (isClosed(m_tasks[i].status) ? m_done : m_active).append(i);
}

bool TaskListModel::replaceTask(qsizetype index, TaskItem task) {
    TaskItem& current = m_tasks[index];
    if (current == task)
        return false;
    const bool wasClosed = isClosed(current.status);
    if (wasClosed != isClosed(task.status)) {
        if (wasClosed)
            moveToActive(index, std::move(task));
        else
            moveToDone(index, std::move(task));
        return true;
    }
    current = std::move(task);
    const QModelIndex at = this->index(rowOfTask(index));
    Q_EMIT dataChanged(at, at);
    return true;
}

void TaskListModel::moveToDone(qsizetype index, TaskItem task) {
    const qsizetype from = lowerBound(m_active, index);
    const qsizetype to = lowerBound(m_done, index);
    if (!hasHeader()) {
        // The first finished task brings the header with it.
        beginRemoveRows({}, int(from), int(from));
        m_active.removeAt(from);
        endRemoveRows();
        beginInsertRows({}, headerRow(), headerRow() + 1);
        m_tasks[index] = std::move(task);
        m_done.append(index);
        endInsertRows();
        return;
    }
    beginMoveRows({}, int(from), int(from), {}, headerRow() + 1 + int(to));
    m_active.removeAt(from);
    m_done.insert(to, index);
    m_tasks[index] = std::move(task);
    endMoveRows();
    const QModelIndex at = this->index(rowOfTask(index));
    Q_EMIT dataChanged(at, at);
}

void TaskListModel::moveToActive(qsizetype index, TaskItem task) {
    const qsizetype from = lowerBound(m_done, index);
    const qsizetype to = lowerBound(m_active, index);
    if (m_done.size() == 1) {
        // The last finished task takes the header with it.
        beginRemoveRows({}, headerRow(), headerRow() + 1);
        m_done.clear();
        endRemoveRows();
        beginInsertRows({}, int(to), int(to));
        m_tasks[index] = std::move(task);
        m_active.insert(to, index);
        endInsertRows();
        return;
    }
    beginMoveRows({}, headerRow() + 1 + int(from), headerRow() + 1 + int(from), {}, int(to));
    m_done.removeAt(from);
    m_active.insert(to, index);
    m_tasks[index] = std::move(task);
    endMoveRows();
    const QModelIndex at = this->index(int(to));
    Q_EMIT dataChanged(at, at);
}

void TaskListModel::shiftIndices(qsizetype from, qsizetype delta) {
    for (QList<qsizetype>* group : {&m_active, &m_done})
        for (auto it = group->begin() + lowerBound(*group, from); it != group->end(); ++it)
            *it += delta;
}

void TaskListModel::insertTask(qsizetype index, TaskItem task) {
    const bool closed = isClosed(task.status);
    QList<qsizetype>& group = closed ? m_done : m_active;
    const qsizetype at = lowerBound(group, index);
    const int firstRow = closed ? headerRow() + (hasHeader() ? 1 + int(at) : 0) : int(at);
    const int lastRow = closed && !hasHeader() ? firstRow + 1 : firstRow;
    beginInsertRows({}, firstRow, lastRow);
    shiftIndices(index, +1);
    m_tasks.insert(index, std::move(task));
    group.insert(at, index);
    endInsertRows();
}

void TaskListModel::removeTask(qsizetype index) {
    const bool closed = isClosed(m_tasks[index].status);
    QList<qsizetype>& group = closed ? m_done : m_active;
    const qsizetype at = lowerBound(group, index);
    const int lastRow = closed ? headerRow() + 1 + int(at) : int(at);
    const int firstRow = closed && m_done.size() == 1 ? headerRow() : lastRow;
    beginRemoveRows({}, firstRow, lastRow);
    group.removeAt(at);
    m_tasks.removeAt(index);
    shiftIndices(index + 1, -1);
    endRemoveRows();
}

void TaskListModel::setPendingIds(QSet<QString> ids) {
    if (ids == m_pendingIds || m_tasks.isEmpty()) {
        m_pendingIds = std::move(ids);
        return;
    }
    m_pendingIds = std::move(ids);
    Q_EMIT dataChanged(index(0), index(rowCount() - 1), {HasPendingChangeRole});
}

QList<std::pair<qsizetype, TaskItem>> TaskListModel::takeTasks(const QString& id) {
    QList<std::pair<qsizetype, TaskItem>> taken;
    for (qsizetype i = m_tasks.size() - 1; i >= 0; --i) {
        if (m_tasks[i].id == id) {
            taken.prepend({i, m_tasks[i]});
            removeTask(i);
        }
    }
    return taken;
}

bool TaskListModel::restoreTasks(const QList<std::pair<qsizetype, TaskItem>>& taken) {
    bool restored = false;
    for (const auto& [position, task] : taken) {
        if (indexOfTask(task.id) >= 0)
            continue;
        insertTask(std::min(position, m_tasks.size()), task);
        restored = true;
    }
    return restored;
}
