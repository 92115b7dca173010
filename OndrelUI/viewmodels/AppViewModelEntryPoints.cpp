#include "OndrelUI/viewmodels/AppViewModel.h"

#include "OndrelUI/viewmodels/Outcome.h"
#include "OndrelUI/viewmodels/TextRules.h"

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
    return selectAdjacentFolder(offset);
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

QCoro::QmlTask AppViewModel::retryCapture() {
    if (!m_retryAudio)
        return noAction();
    const QByteArray audio = *m_retryAudio; // the capture drops the offer as it starts
    return capture(audio);
}

QCoro::QmlTask AppViewModel::changeSort(bool byDeadline) {
    setSortByDeadline(byDeadline);
    return loadTasks();
}

bool AppViewModel::submitInput(const QString& input) {
    if (isBlankLine(input))
        return false;
    send(input);
    return true;
}

void AppViewModel::toggleRecording(AudioRecorder* recorder) {
    if (!recorder)
        return;
    if (!recorder->isRecording()) {
        // A recording finished while a capture is busy would be refused.
        if (!m_isBusy) {
            watch(recorder);
            recorder->startRecording();
        }
        return;
    }
    const QByteArray audio = recorder->stopRecording();
    if (!audio.isEmpty() && !recorder->interruption()) // else it is on offer already
        capture(audio);
}
