#include "OndrelUI/viewmodels/TaskEditForm.h"

#include "OndrelUI/models/FolderListModel.h"
#include "OndrelUI/models/TaskFacts.h"
#include "OndrelUI/viewmodels/TextRules.h"

#include <QPointer>
#include <QTimeZone>

namespace {

// Takes a picker row's wire value into `value`; false when the row is off the list or is the
// one already chosen, so the caller announces only a real change.
template <class E>
bool pickWireValue(const ChoiceListModel& choices, int index, E& value) {
    if (index < 0 || index >= choices.rowCount() || index == choices.indexOf(rawValue(value)))
        return false;
    value = *fromRawValue<E>(choices.choices()[index].value);
    return true;
}

QString statusLabelOf(TaskStatus status) {
    switch (status) {
    case TaskStatus::inbox:
        return QStringLiteral("Входящее");
    case TaskStatus::todo:
        return QStringLiteral("Открыта");
    case TaskStatus::inProgress:
        return QStringLiteral("В работе");
    case TaskStatus::done:
        return QStringLiteral("Выполнена");
    case TaskStatus::postponed:
        return QStringLiteral("Отложена");
    case TaskStatus::cancelled:
        return QStringLiteral("Отменена");
    }
    return {};
}

QString priorityLabelOf(Priority priority) {
    switch (priority) {
    case Priority::none:
        return QStringLiteral("Без приоритета");
    case Priority::low:
        return QStringLiteral("Низкий");
    case Priority::medium:
        return QStringLiteral("Средний");
    case Priority::high:
        return QStringLiteral("Высокий");
    }
    return {};
}

// Inbox and cancelled are not offered: the sheet files a task, it does not cancel one.
QList<ChoiceListModel::Choice> statusChoicesList() {
    QList<ChoiceListModel::Choice> choices;
    for (TaskStatus status :
         {TaskStatus::todo, TaskStatus::inProgress, TaskStatus::done, TaskStatus::postponed})
        choices.append({rawValue(status), statusLabelOf(status)});
    return choices;
}

QList<ChoiceListModel::Choice> priorityChoicesList() {
    QList<ChoiceListModel::Choice> choices;
    for (Priority priority : allCases<Priority>())
        choices.append({rawValue(priority), priorityLabelOf(priority)});
    return choices;
}

// "Без папки" only for a task without a folder: the patch cannot clear a folder (an absent
// folderId leaves it as it is), so offering it elsewhere would save a change that never happens.
QList<ChoiceListModel::Choice> folderChoicesList(const TaskItem& task,
                                                 const QList<Folder>& folders) {
    QList<ChoiceListModel::Choice> choices;
    if (!task.folderId)
        choices.append({QString(), QStringLiteral("Без папки")});
    for (const Folder& folder : folders)
        choices.append({folder.id, FolderListModel::label(folder)});
    return choices;
}

} // namespace

TaskEditForm::TaskEditForm(const TaskItem& task, const QList<Folder>& folders, SaveAction onSave,
                           DeleteAction onDelete, QObject* parent)
    : QObject(parent), m_onSave(std::move(onSave)), m_onDelete(std::move(onDelete)),
      m_statusChoices(new ChoiceListModel(statusChoicesList(), this)),
      m_priorityChoices(new ChoiceListModel(priorityChoicesList(), this)),
      m_folderChoices(new ChoiceListModel(folderChoicesList(task, folders), this)),
      m_title(task.title), m_bodyText(task.body.value_or(QString())),
      m_status(task.status == TaskStatus::inbox ? TaskStatus::todo : task.status),
      m_priority(task.priority), m_folderId(task.folderId),
      m_hasDeadline(task.hasDeadline && task.dueDate.has_value()),
      m_due((task.dueDate ? *task.dueDate : Instant::now()).toQDateTime().toLocalTime()) {
    updateCanSave();
}

void TaskEditForm::setTitle(const QString& title) {
    if (title == m_title)
        return;
    m_title = title;
    Q_EMIT titleChanged();
    updateCanSave();
}

void TaskEditForm::setBodyText(const QString& text) {
    if (text == m_bodyText)
        return;
    m_bodyText = text;
    Q_EMIT bodyTextChanged();
}

int TaskEditForm::statusIndex() const {
    return m_statusChoices->indexOf(rawValue(m_status));
}

void TaskEditForm::setStatusIndex(int index) {
    if (pickWireValue(*m_statusChoices, index, m_status))
        Q_EMIT statusChanged();
}

QString TaskEditForm::statusLabel() const {
    return statusLabelOf(m_status);
}

int TaskEditForm::priorityIndex() const {
    return m_priorityChoices->indexOf(rawValue(m_priority));
}

void TaskEditForm::setPriorityIndex(int index) {
    if (pickWireValue(*m_priorityChoices, index, m_priority))
        Q_EMIT priorityChanged();
}

int TaskEditForm::folderIndex() const {
    return m_folderChoices->indexOf(m_folderId.value_or(QString()));
}

void TaskEditForm::setFolderIndex(int index) {
    if (index < 0 || index >= m_folderChoices->rowCount() || index == folderIndex())
        return;
    const QString id = m_folderChoices->choices()[index].value;
    m_folderId = id.isEmpty() ? std::nullopt : std::optional(id);
    Q_EMIT folderChanged();
}

void TaskEditForm::setHasDeadline(bool on) {
    if (on == m_hasDeadline)
        return;
    m_hasDeadline = on;
    Q_EMIT hasDeadlineChanged();
}

QString TaskEditForm::dueText() const {
    return TaskFacts::abbreviatedDate(Instant::fromQDateTime(m_due), QTimeZone::systemTimeZone());
}

void TaskEditForm::setDue(QDateTime due) {
    if (!due.isValid() || due == m_due)
        return;
    m_due = std::move(due);
    Q_EMIT dueDateChanged();
}

void TaskEditForm::pickDueDate(int year, int month, int day) {
    const QDate date(year, month + 1, day);
    if (date.isValid())
        setDue(QDateTime(date, m_due.time()));
}

void TaskEditForm::shiftDueDate(int days) {
    setDue(m_due.addDays(days));
}

void TaskEditForm::shiftDueMonths(int months) {
    setDue(m_due.addMonths(months));
}

bool TaskEditForm::canSave() const {
    return m_canSave;
}

void TaskEditForm::updateCanSave() {
    const bool can = !m_saving && !m_deleting && !isBlankLine(m_title);
    if (can == m_canSave)
        return;
    m_canSave = can;
    Q_EMIT canSaveChanged();
}

void TaskEditForm::setSaving(bool saving) {
    if (saving == m_saving)
        return;
    m_saving = saving;
    Q_EMIT savingChanged();
    updateCanSave();
}

void TaskEditForm::setDeleting(bool deleting) {
    m_deleting = deleting;
    updateCanSave();
}

TaskEdit TaskEditForm::edit() const {
    return TaskEdit{
        .title = m_title,
        .body = m_bodyText.trimmed(),
        .status = m_status,
        .priority = m_priority,
        .folderId = m_folderId,
        .dueDate = m_hasDeadline ? std::optional(Instant::fromQDateTime(m_due)) : std::nullopt,
        .hasDeadline = m_hasDeadline,
    };
}

// The actions are awaited through named tasks; the form may be gone when they return.
QCoro::Task<void> TaskEditForm::saveEdits() {
    if (!m_canSave)
        co_return;
    QPointer<TaskEditForm> self(this);
    setSaving(true);
    auto saving = m_onSave(edit());
    co_await saving;
    if (!self)
        co_return;
    setSaving(false);
    Q_EMIT finished();
}

QCoro::Task<void> TaskEditForm::removeTask() {
    if (m_saving || m_deleting)
        co_return;
    QPointer<TaskEditForm> self(this);
    setDeleting(true);
    auto deleting = m_onDelete();
    co_await deleting;
    if (!self)
        co_return;
    setDeleting(false);
    Q_EMIT finished();
}
