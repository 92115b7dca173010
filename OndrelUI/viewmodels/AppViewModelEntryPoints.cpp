#include "OndrelUI/viewmodels/AppViewModel.h"

#include "OndrelUI/viewmodels/Outcome.h"

#include <algorithm>

// The entry points QML calls with ids and wire strings; each finds the records and starts the
// action.

namespace {

std::optional<QString> presentUnlessEmpty(const QString& text) {
    return text.isEmpty() ? std::nullopt : std::optional(text);
}

// Line breaks do not count as blank here: a typed line break is content.
bool onlySpacesAndTabs(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' ' || c == u'\t'; });
}

} // namespace

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
    return selectAdjacentFolder(offset);
}

QCoro::QmlTask AppViewModel::toggleTask(const QString& taskId) {
    const qsizetype index = m_taskModel->indexOfTask(taskId);
    return index < 0 ? noAction() : toggleDone(tasks()[index]);
}

QCoro::QmlTask AppViewModel::removeTask(const QString& taskId) {
    const qsizetype index = m_taskModel->indexOfTask(taskId);
    return index < 0 ? noAction() : deleteTask(tasks()[index]);
}

QCoro::QmlTask AppViewModel::saveTask(const QString& taskId, const QString& title,
                                      const QString& body, const QString& status,
                                      const QString& priority, const QString& folderId,
                                      const QDateTime& dueDate, bool hasDeadline) {
    const auto wireStatus = fromRawValue<TaskStatus>(status);
    const auto wirePriority = fromRawValue<Priority>(priority);
    if (!wireStatus || !wirePriority)
        return noAction();
    const auto due =
        dueDate.isValid() ? std::optional(Instant::fromQDateTime(dueDate)) : std::nullopt;
    return updateTask(taskId, title, body, *wireStatus, *wirePriority, presentUnlessEmpty(folderId),
                      due, hasDeadline);
}

QCoro::QmlTask AppViewModel::addFolder(const QString& name) {
    return createFolder(name);
}

QCoro::QmlTask AppViewModel::removeFolder(const QString& folderId, const QString& moveTasksTo,
                                          bool deleteTasks) {
    const QList<Folder>& list = folders();
    const auto folder = std::find_if(list.begin(), list.end(), [&](const Folder& candidate) {
        return candidate.id == folderId;
    });
    if (folder == list.end())
        return noAction();
    return deleteFolder(*folder, presentUnlessEmpty(moveTasksTo), deleteTasks);
}

QCoro::QmlTask AppViewModel::sendText(const QString& text) {
    return send(text);
}

QCoro::QmlTask AppViewModel::captureAudio(const QByteArray& audioData) {
    return capture(audioData);
}

QCoro::QmlTask AppViewModel::changeSort(bool byDeadline) {
    setSortByDeadline(byDeadline);
    return loadTasks();
}

bool AppViewModel::submitInput(const QString& input) {
    if (onlySpacesAndTabs(input))
        return false;
    send(input);
    return true;
}

void AppViewModel::toggleRecording(AudioRecorder* recorder) {
    if (!recorder)
        return;
    if (!recorder->isRecording()) {
        recorder->startRecording();
        return;
    }
    const QByteArray audio = recorder->stopRecording();
    if (!audio.isEmpty())
        capture(audio);
}
