#include "OndrelUI/viewmodels/AppViewModel.h"

#include "OndrelUI/viewmodels/Outcome.h"

// The entry points QML calls with ids; each finds the records and starts the action.

QCoro::QmlTask AppViewModel::showScreen() {
    return loadAll();
}

QCoro::QmlTask AppViewModel::reloadTasks() {
    return loadTasks();
}

QCoro::QmlTask AppViewModel::selectFolder(const QString& folderId) {
    return select(folderId);
}

QCoro::QmlTask AppViewModel::selectFolderBy(int offset) {
    const std::optional<QString> target = m_folderModel->adjacentId(offset);
    return target ? select(*target) : noAction();
}

QCoro::QmlTask AppViewModel::selectFolderAt(int position) {
    if (position < 0 || position >= folders().size())
        return noAction();
    return select(folders()[position].id);
}

QCoro::QmlTask AppViewModel::toggleTask(const QString& taskId) {
    const qsizetype index = m_taskModel->indexOfTask(taskId);
    return index < 0 ? noAction() : toggleDone(tasks()[index]);
}

QCoro::QmlTask AppViewModel::removeTask(const QString& taskId) {
    const qsizetype index = m_taskModel->indexOfTask(taskId);
    return index < 0 ? noAction() : deleteTask(tasks()[index]);
}

QCoro::QmlTask AppViewModel::addFolder(const QString& name) {
    return createFolder(name);
}

QCoro::QmlTask AppViewModel::sendText(const QString& text) {
    return send(text);
}

QCoro::QmlTask AppViewModel::captureAudio(const QByteArray& audioData) {
    return capture(audioData);
}

QCoro::QmlTask AppViewModel::changeSort(bool byDeadline) {
    setSort(byDeadline ? TaskSort::dueAsc : TaskSort::createdDesc);
    return loadTasks();
}
