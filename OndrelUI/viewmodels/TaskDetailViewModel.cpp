#include "OndrelUI/viewmodels/TaskDetailViewModel.h"

#include "OndrelUI/models/TaskFacts.h"
#include "OndrelUI/viewmodels/Outcome.h"

#include <QPointer>
#include <QTimeZone>

#include <algorithm>

namespace {

QList<ChoiceListModel::Choice> everyStatus() {
    QList<ChoiceListModel::Choice> choices;
    for (TaskStatus status : allCases<TaskStatus>())
        choices.append({rawValue(status), rawValue(status)});
    return choices;
}

} // namespace

TaskDetailViewModel::TaskDetailViewModel(TaskItem task, APIClient api, QObject* parent)
    : QObject(parent), m_task(std::move(task)), m_api(std::move(api)),
      m_checklist(new ChecklistModel(this)),
      m_statusChoices(new ChoiceListModel(everyStatus(), this)) {
    m_checklist->setEntries(m_task.checklist.value_or(QList<ChecklistItem>()));
}

QString TaskDetailViewModel::bodyText() const {
    return m_task.body && !m_task.body->trimmed().isEmpty() ? *m_task.body : QString();
}

QString TaskDetailViewModel::dueText() const {
    return m_task.dueDate ? TaskFacts::abbreviatedDate(*m_task.dueDate, QTimeZone::systemTimeZone())
                          : QString();
}

void TaskDetailViewModel::setTask(TaskItem task) {
    if (task == m_task)
        return;
    m_task = std::move(task);
    m_checklist->setEntries(m_task.checklist.value_or(QList<ChecklistItem>()));
    Q_EMIT taskChanged();
}

QCoro::Task<void> TaskDetailViewModel::save(std::optional<QString> title,
                                            std::optional<TaskStatus> status,
                                            std::optional<Priority> priority) {
    QPointer<TaskDetailViewModel> self(this);
    const APIClient api = m_api; // the call must not depend on this object staying alive
    TaskPatchBody patch;         // every other field stays absent, so only these are sent
    patch.title = std::move(title);
    patch.status = status;
    patch.priority = priority;
    auto calling = outcomeOf(api.patchTask(m_task.id, patch));
    auto outcome = co_await calling;
    if (!self)
        co_return;
    if (outcome.error) {
        const QString line = QStringLiteral("Не удалось сохранить");
        if (m_errorText != line) {
            m_errorText = line;
            Q_EMIT errorTextChanged();
        }
        co_return;
    }
    setTask(std::move(*outcome.value));
}

void TaskDetailViewModel::toggleChecklist(const QString& id) {
    if (!m_task.checklist)
        return;
    auto& entries = *m_task.checklist;
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [&](const ChecklistItem& item) { return item.id == id; });
    if (entry == entries.end())
        return;
    entry->done = !entry->done;
    m_checklist->setDone(int(entry - entries.begin()), entry->done);
    Q_EMIT taskChanged();
}

QCoro::QmlTask TaskDetailViewModel::chooseStatus(int index) {
    if (index < 0 || index >= m_statusChoices->rowCount())
        return noAction();
    return save(std::nullopt, fromRawValue<TaskStatus>(m_statusChoices->choices()[index].value),
                std::nullopt);
}
