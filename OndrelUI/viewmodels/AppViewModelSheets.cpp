#include "OndrelUI/viewmodels/AppViewModel.h"

#include "OndrelUI/session/AuthSession.h"
#include "OndrelUI/viewmodels/Outcome.h"

#include <QPointer>

#include <algorithm>

// What the sheets and the detail screens open with. The sheets' actions hold the view model
// weakly: a sheet closed after sign-out finds nothing to call. Each action returns the view
// model's own coroutine, never a coroutine lambda, whose captures would die with the lambda.

TaskEditForm* AppViewModel::openTaskEditor(const QString& taskId) {
    const qsizetype index = m_taskModel->indexOfTask(taskId);
    if (index < 0)
        return nullptr;
    const TaskItem task = tasks()[index];
    const QPointer<AppViewModel> self(this);
    auto save = [self, id = task.id](TaskEdit edit) {
        if (!self)
            return noAction();
        return self->updateTask(id, edit.title, edit.body, edit.status, edit.priority,
                                edit.folderId, edit.dueDate, edit.hasDeadline);
    };
    auto remove = [self, task] { return self ? self->deleteTask(task) : noAction(); };
    return new TaskEditForm(task, folders(), std::move(save), std::move(remove));
}

FolderDeleteForm* AppViewModel::openFolderDeletion(const QString& folderId) {
    QList<Folder> others = folders();
    const auto folder = std::find_if(others.begin(), others.end(), [&](const Folder& candidate) {
        return candidate.id == folderId;
    });
    if (folder == others.end())
        return nullptr;
    const Folder deleting = *folder;
    others.erase(folder);
    const QPointer<AppViewModel> self(this);
    auto confirm = [self, deleting](bool deleteTasks, std::optional<QString> moveTo) {
        return self ? self->deleteFolder(deleting, std::move(moveTo), deleteTasks) : noAction();
    };
    return new FolderDeleteForm(deleting, others, std::move(confirm));
}

CaptureHistoryViewModel* AppViewModel::openHistory() {
    return new CaptureHistoryViewModel(m_session->client());
}

TaskDetailViewModel* AppViewModel::openTaskDetail(const QString& taskId) {
    const qsizetype index = m_taskModel->indexOfTask(taskId);
    return index < 0 ? nullptr : new TaskDetailViewModel(tasks()[index], m_session->client());
}
