#include "OndrelUI/viewmodels/AppViewModel.h"

#include "OndrelCore/client/APIClient.h"
#include "OndrelUI/session/AuthSession.h"
#include "OndrelUI/viewmodels/FailureText.h"
#include "OndrelUI/viewmodels/Published.h"
#include "OndrelUI/viewmodels/SessionAttempt.h"

#include <QPointer>

#include <algorithm>

AppViewModel::AppViewModel(AuthSession* session, std::shared_ptr<SpeechTranscriber> transcriber,
                           QObject* parent)
    : QObject(parent), m_session(session), m_transcriber(std::move(transcriber)),
      m_folderModel(new FolderListModel(this)), m_taskModel(new TaskListModel(this)),
      m_offline(new OfflineMode(this)), m_captureInput(new CaptureInput(this)) {
    followOffline();
}

AppViewModel::~AppViewModel() = default;

// MARK: published fields

void AppViewModel::setSort(TaskSort sort) {
    publish(this, m_sort, sort, &AppViewModel::sortChanged);
}

// A selection stays only while its folder is listed (it may have been deleted elsewhere);
// otherwise the first folder is selected, as on the first load.
void AppViewModel::setFolders(QList<Folder> folders) {
    if (m_folderModel->setFolders(std::move(folders)))
        Q_EMIT foldersChanged();
    const QList<Folder>& list = this->folders();
    const bool listed = std::any_of(list.begin(), list.end(), [&](const Folder& folder) {
        return folder.id == m_selectedFolderId;
    });
    if (!listed)
        setSelectedFolderId(list.isEmpty() ? std::nullopt : std::optional(list.first().id));
}

void AppViewModel::setSelectedFolderId(std::optional<QString> id) {
    if (id == m_selectedFolderId)
        return;
    m_selectedFolderId = id;
    m_folderModel->setSelectedId(std::move(id));
    Q_EMIT selectedFolderIdChanged();
}

void AppViewModel::setTasks(QList<TaskItem> tasks, std::optional<QString> folderId) {
    m_listedFolderId = std::move(folderId);
    if (m_taskModel->setTasks(std::move(tasks)))
        Q_EMIT tasksChanged();
}

void AppViewModel::replaceTaskWithId(const QString& id, TaskItem task) {
    const qsizetype index = m_taskModel->indexOfTask(id);
    if (index >= 0 && m_taskModel->replaceTask(index, std::move(task)))
        Q_EMIT tasksChanged();
}

void AppViewModel::setAssistantAnswer(std::optional<QString> answer) {
    publish(this, m_assistantAnswer, std::move(answer), &AppViewModel::assistantAnswerChanged);
}

void AppViewModel::setErrorText(std::optional<QString> text) {
    publish(this, m_errorText, std::move(text), &AppViewModel::errorTextChanged);
}

void AppViewModel::setBusy(bool busy) {
    publish(this, m_isBusy, busy, &AppViewModel::isBusyChanged);
}

void AppViewModel::setStatusText(std::optional<QString> text) {
    publish(this, m_statusText, std::move(text), &AppViewModel::statusTextChanged);
}

void AppViewModel::fail(std::exception_ptr error, const QString& label) {
    setErrorText(failureText(std::move(error), label));
}

// MARK: actions
//
// Every action keeps a QPointer to the view model and checks it after each co_await: the
// screen may be gone by the time the service answers.

// Overlapping loads are settled by start order, not by arrival: the outcome of a load that a
// later one has superseded is dropped, so a slow answer for the previously selected folder can
// never replace the list of the folder now selected.
QCoro::Task<void> AppViewModel::loadFolders() {
    QPointer<AppViewModel> self(this);
    const quint64 ticket = ++m_folderLoads;
    auto calling = attempt(m_session, [](APIClient api) { return api.listFolders(); });
    auto outcome = co_await calling;
    if (!self || ticket != m_folderLoads)
        co_return;
    if (outcome.error) {
        m_offline->absorbs(outcome.error) ? showCachedFolders()
                                          : fail(outcome.error, QStringLiteral("загрузить папки"));
        co_return;
    }
    setFolders(std::move(*outcome.value));
}

QCoro::Task<void> AppViewModel::loadTasks() {
    QPointer<AppViewModel> self(this);
    const quint64 ticket = ++m_taskLoads;
    const std::optional<QString> folderId = m_selectedFolderId;
    auto calling =
        attempt(m_session, [folderId](APIClient api) { return api.listTasks(folderId); });
    auto outcome = co_await calling;
    if (!self || ticket != m_taskLoads)
        co_return;
    if (outcome.error) {
        m_offline->absorbs(outcome.error) ? showCachedTasks(folderId)
                                          : fail(outcome.error, QStringLiteral("загрузить задачи"));
        co_return;
    }
    setTasks(sortTasks(*outcome.value, m_sort), folderId);
}

// Folders, then the selected folder's tasks: the first load and the reload after a capture.
// With a replica, the last session's lists show at once and the queue goes out first.
QCoro::Task<void> AppViewModel::loadAll() {
    QPointer<AppViewModel> self(this);
    if (folders().isEmpty())
        showCachedFolders();
    auto syncing = m_offline->sync();
    co_await syncing;
    if (!self)
        co_return;
    auto loadingFolders = loadFolders();
    co_await loadingFolders;
    if (!self)
        co_return;
    auto loadingTasks = loadTasks();
    co_await loadingTasks;
}

QCoro::Task<void> AppViewModel::select(QString folderId) {
    setSelectedFolderId(std::move(folderId));
    auto reloadingTasks = loadTasks();
    co_await reloadingTasks;
}

// A task not listed (a reminder's) changes at the service and in the replica only.
QCoro::Task<void> AppViewModel::toggleDone(TaskItem task) {
    QPointer<AppViewModel> self(this);
    const bool complete = task.status != TaskStatus::done;
    if (const qsizetype index = m_taskModel->indexOfTask(task.id); index >= 0) {
        TaskItem optimistic = tasks()[index];
        optimistic.status = complete ? TaskStatus::done : TaskStatus::todo;
        optimistic.completedAt = complete ? std::optional(Instant::now()) : std::nullopt;
        if (m_taskModel->replaceTask(index, std::move(optimistic)))
            Q_EMIT tasksChanged();
    }

    const QString id = task.id;
    auto calling = attempt(m_session, m_offline, [id, complete](APIClient api) {
        if (complete)
            return api.completeTask(id);
        TaskPatchBody reopen;
        reopen.status = TaskStatus::todo;
        return api.patchTask(id, reopen);
    });
    auto outcome = co_await calling;
    if (!self)
        co_return;
    const auto queued = m_offline->queueOn(outcome.error, &OfflineReplica::setDone, task, complete);
    if (outcome.error && !queued) {
        replaceTaskWithId(task.id, task);
        fail(outcome.error, QStringLiteral("обновить статус"));
        co_return;
    }
    m_offline->offerUndo(task, queued, false);
    if (queued)
        co_return;
    const QString answeredId = outcome.value->id; // read before the task is moved from
    replaceTaskWithId(answeredId, std::move(*outcome.value));
}

// The listed record, else the replica's, is fresher than the reminder's.
QCoro::Task<void> AppViewModel::complete(TaskItem task) {
    const qsizetype index = m_taskModel->indexOfTask(task.id);
    const OfflineReplica* replica = m_offline->replica();
    const TaskItem* kept = replica ? replica->store().task(task.id) : nullptr;
    const TaskItem current = index >= 0 ? tasks()[index] : kept ? *kept : task;
    if (current.status != TaskStatus::done) {
        auto toggling = toggleDone(current);
        co_await toggling;
    }
}

QCoro::Task<void> AppViewModel::showTask(TaskItem task) {
    QPointer<AppViewModel> self(this);
    if (m_taskModel->indexOfTask(task.id) < 0 && task.folderId &&
        task.folderId != m_selectedFolderId) {
        auto selecting = select(*task.folderId);
        co_await selecting;
        if (!self)
            co_return;
    }
    if (m_taskModel->indexOfTask(task.id) >= 0)
        Q_EMIT editRequested(task.id);
}

void AppViewModel::setReminderNotice(const QString& line) {
    publish(this, m_reminderNotice, line, &AppViewModel::reminderNoticeChanged);
}

QCoro::Task<void> AppViewModel::deleteTask(TaskItem task) {
    QPointer<AppViewModel> self(this);
    const std::optional<QString> folderId = m_listedFolderId;
    const QList<std::pair<qsizetype, TaskItem>> removed = m_taskModel->takeTasks(task.id);
    if (!removed.isEmpty())
        Q_EMIT tasksChanged();

    const QString id = task.id;
    auto calling =
        attempt(m_session, m_offline, [id](APIClient api) { return api.deleteTask(id); });
    auto outcome = co_await calling;
    if (!self)
        co_return;
    const auto queued = m_offline->queueOn(outcome.error, &OfflineReplica::remove, task);
    if (!outcome.error || queued) {
        m_offline->offerUndo(task, queued, true);
        co_return;
    }
    // Back at their old places, only into the list they came from: once another folder's tasks
    // are shown there is no place for them, and a reload listing them has put them back.
    if (folderId == m_listedFolderId && m_taskModel->restoreTasks(removed))
        Q_EMIT tasksChanged();
    fail(outcome.error, QStringLiteral("удалить задачу"));
}

QCoro::Task<void> AppViewModel::updateTask(QString id, QString title, std::optional<QString> body,
                                           TaskStatus status, Priority priority,
                                           std::optional<QString> folderId,
                                           std::optional<Instant> dueDate, bool hasDeadline) {
    QPointer<AppViewModel> self(this);
    const TaskPatchBody patch{
        .title = std::move(title),
        .status = status,
        .priority = priority,
        .folderId = std::move(folderId),
        .body = std::move(body),
        .dueDate = hasDeadline ? dueDate : std::nullopt,
        .hasDeadline = hasDeadline,
    };
    auto calling = attempt(m_session, m_offline,
                           [id, patch](APIClient api) { return api.patchTask(id, patch); });
    auto outcome = co_await calling;
    if (!self)
        co_return;
    const auto queued = m_offline->queueOn(outcome.error, &OfflineReplica::patch, id, patch);
    if (outcome.error && !queued) {
        fail(outcome.error, QStringLiteral("сохранить задачу"));
        co_return;
    }
    auto reloadingTasks = loadTasks();
    co_await reloadingTasks;
}

QCoro::Task<void> AppViewModel::createFolder(QString name) {
    QPointer<AppViewModel> self(this);
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        co_return;
    auto calling = attempt(m_session, m_offline, [trimmed](APIClient api) {
        FolderCreateBody folder;
        folder.name = trimmed;
        return api.createFolder(folder);
    });
    auto outcome = co_await calling;
    if (!self)
        co_return;
    const auto queued = m_offline->queueOn(outcome.error, &OfflineReplica::createFolder, trimmed);
    if (outcome.error && !queued) {
        fail(outcome.error, QStringLiteral("создать папку"));
        co_return;
    }
    const std::optional<QString> selected = m_selectedFolderId;
    auto reloadingFolders = loadFolders();
    co_await reloadingFolders;
    // The reload moves the selection off a folder deleted elsewhere: show the new one's tasks.
    if (!self || m_selectedFolderId == selected)
        co_return;
    auto reloadingTasks = loadTasks();
    co_await reloadingTasks;
}

QCoro::Task<void> AppViewModel::deleteFolder(Folder folder, std::optional<QString> moveTasksTo,
                                             bool deleteTasks) {
    QPointer<AppViewModel> self(this);
    const QString id = folder.id;
    const QString action = deleteTasks ? QStringLiteral("delete") : QStringLiteral("move");
    const std::optional<QString> target = deleteTasks ? std::nullopt : moveTasksTo;
    auto calling = attempt(m_session, m_offline, [id, action, target](APIClient api) {
        return api.deleteFolder(id, action, target);
    });
    auto outcome = co_await calling;
    if (!self)
        co_return;
    const auto queued =
        m_offline->queueOn(outcome.error, &OfflineReplica::deleteFolder, folder, target);
    if (outcome.error && !queued) {
        fail(outcome.error, QStringLiteral("удалить папку"));
        co_return;
    }
    auto reloadingFolders = loadFolders();
    co_await reloadingFolders;
    if (!self)
        co_return;
    if (m_selectedFolderId == id) {
        // Should the reload have failed, the list still holds the deleted folder: skip it.
        const QList<Folder>& list = folders();
        const auto next = std::find_if(list.begin(), list.end(),
                                       [&](const Folder& candidate) { return candidate.id != id; });
        setSelectedFolderId(next == list.end() ? std::nullopt : std::optional(next->id));
    }
    auto reloadingTasks = loadTasks();
    co_await reloadingTasks;
}
