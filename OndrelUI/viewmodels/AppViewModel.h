#pragma once

#include "OndrelCore/planning/SpeechTranscriber.h"
#include "OndrelCore/planning/TaskSort.h"
#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/Instant.h"
#include "OndrelCore/wire/Priority.h"
#include "OndrelCore/wire/TaskItem.h"
#include "OndrelCore/wire/TaskStatus.h"
#include "OndrelUI/models/FolderListModel.h"
#include "OndrelUI/models/TaskListModel.h"
#include "OndrelUI/offline/OfflineMode.h"
#include "OndrelUI/viewmodels/CaptureHistoryViewModel.h"
#include "OndrelUI/viewmodels/CaptureInput.h"
#include "OndrelUI/viewmodels/FolderDeleteForm.h"
#include "OndrelUI/viewmodels/TaskDetailViewModel.h"
#include "OndrelUI/viewmodels/TaskEditForm.h"

#include <QByteArray>
#include <QCoroQmlTask>
#include <QCoroTask>
#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <exception>
#include <memory>
#include <optional>
#include <utility>

class AuthSession;

// State and behaviour of the main screen: folder tabs, the selected folder's tasks, the sort
// order, the assistant's last answer, the last error line and the progress of a capture.
// Every action is a coroutine on the GUI thread that never throws; failures end in errorText.
// An action still running when the view model is destroyed finishes without touching it.
class AppViewModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the gate screen with the signed-in session")

    // Optional texts read as empty when absent.
    Q_PROPERTY(QString selectedFolderId READ selectedFolderIdValue NOTIFY selectedFolderIdChanged)
    Q_PROPERTY(int taskCount READ taskCount NOTIFY tasksChanged)
    Q_PROPERTY(bool sortByDeadline READ sortByDeadline NOTIFY sortChanged)
    Q_PROPERTY(QString assistantAnswer READ assistantAnswerValue NOTIFY assistantAnswerChanged)
    Q_PROPERTY(QString errorText READ errorTextValue NOTIFY errorTextChanged)
    Q_PROPERTY(bool isBusy READ isBusy NOTIFY isBusyChanged)
    Q_PROPERTY(QString statusText READ statusTextValue NOTIFY statusTextChanged)
    // A reminder the desktop could not show; empty: none.
    Q_PROPERTY(QString reminderNotice READ reminderNotice NOTIFY reminderNoticeChanged)
    Q_PROPERTY(FolderListModel* folderModel READ folderModel CONSTANT)
    Q_PROPERTY(TaskListModel* taskRows READ taskRows CONSTANT)
    // The replica, the queue and the connection line; without a replica opened, every failure
    // is shown as it always was.
    Q_PROPERTY(OfflineMode* offline READ offline CONSTANT)
    Q_PROPERTY(CaptureInput* captureInput READ captureInput CONSTANT)

public:
    // `session` is not owned and must outlive the view model; `transcriber` is kept but unused.
    explicit AppViewModel(AuthSession* session,
                          std::shared_ptr<SpeechTranscriber> transcriber = nullptr,
                          QObject* parent = nullptr);
    ~AppViewModel() override;

    const QList<Folder>& folders() const { return m_folderModel->folders(); }
    const std::optional<QString>& selectedFolderId() const { return m_selectedFolderId; }
    const QList<TaskItem>& tasks() const { return m_taskModel->tasks(); }
    QList<TaskItem> activeTasks() const { return m_taskModel->activeTasks(); }
    QList<TaskItem> doneTasks() const { return m_taskModel->doneTasks(); }
    int taskCount() const { return int(tasks().size()); }
    TaskSort sort() const { return m_sort; }
    const std::optional<QString>& assistantAnswer() const { return m_assistantAnswer; }
    const std::optional<QString>& errorText() const { return m_errorText; }
    bool isBusy() const { return m_isBusy; }
    const std::optional<QString>& statusText() const { return m_statusText; }
    QString reminderNotice() const { return m_reminderNotice; }
    AuthSession* session() const { return m_session; }
    const std::shared_ptr<SpeechTranscriber>& transcriber() const { return m_transcriber; }

    FolderListModel* folderModel() const { return m_folderModel; }
    TaskListModel* taskRows() const { return m_taskModel; }
    OfflineMode* offline() const { return m_offline; }
    CaptureInput* captureInput() const { return m_captureInput; }

    // Takes effect at the next loadTasks.
    void setSort(TaskSort sort);
    bool sortByDeadline() const { return m_sort == TaskSort::dueAsc; }

    // Folders, then the selected folder's tasks; with a replica, its lists first and the queue
    // sent before the service is asked.
    QCoro::Task<void> loadAll();
    QCoro::Task<void> loadFolders();
    QCoro::Task<void> loadTasks();
    QCoro::Task<void> select(QString folderId);
    QCoro::Task<void> toggleDone(TaskItem task);
    QCoro::Task<void> deleteTask(TaskItem task);
    QCoro::Task<void> updateTask(QString id, QString title, std::optional<QString> body,
                                 TaskStatus status, Priority priority,
                                 std::optional<QString> folderId, std::optional<Instant> dueDate,
                                 bool hasDeadline);
    QCoro::Task<void> createFolder(QString name);
    QCoro::Task<void> deleteFolder(Folder folder, std::optional<QString> moveTasksTo,
                                   bool deleteTasks);
    QCoro::Task<void> send(QString text);
    QCoro::Task<void> capture(QByteArray audioData);
    // A reminder's actions, for a task of any folder: completes it through toggleDone, or lists
    // its folder and asks for its edit sheet (editRequested).
    QCoro::Task<void> complete(TaskItem task);
    QCoro::Task<void> showTask(TaskItem task);
    // Both shown in the bottom panel until the next capture starts; a later failure overwrites
    // the error line.
    void setReminderNotice(const QString& line);
    void showError(const QString& line) { setErrorText(line); }

    // Entry points for QML, which passes ids and wire strings instead of records. Each starts
    // one action and returns a task QML may chain on with then(); an unknown id, status or
    // priority does nothing. An empty folder id stands for "no folder".
    Q_INVOKABLE QCoro::QmlTask showScreen(); // loadFolders, then loadTasks
    Q_INVOKABLE QCoro::QmlTask reloadTasks();
    Q_INVOKABLE QCoro::QmlTask selectFolder(const QString& folderId);
    Q_INVOKABLE QCoro::QmlTask selectFolderBy(int offset);
    // The folder at that position of the tabs, counted from 0; none beyond the last.
    Q_INVOKABLE QCoro::QmlTask selectFolderAt(int position);
    Q_INVOKABLE QCoro::QmlTask toggleTask(const QString& taskId);
    Q_INVOKABLE QCoro::QmlTask removeTask(const QString& taskId);
    Q_INVOKABLE QCoro::QmlTask addFolder(const QString& name);
    Q_INVOKABLE QCoro::QmlTask sendText(const QString& text);
    Q_INVOKABLE QCoro::QmlTask captureAudio(const QByteArray& audioData);
    // The sort menu: the new order, then the list reloaded in it.
    Q_INVOKABLE QCoro::QmlTask changeSort(bool byDeadline);

    // What the sheets and the detail screens open with; null for an id no longer listed. The
    // caller owns the result (QML: the JavaScript engine). The edit sheet saves through
    // updateTask and deletes through deleteTask; the folder delete sheet offers the other
    // folders in tab order and deletes through deleteFolder. History and detail call the
    // service with the session's current access token, without renewal.
    Q_INVOKABLE TaskEditForm* openTaskEditor(const QString& taskId);
    Q_INVOKABLE FolderDeleteForm* openFolderDeletion(const QString& folderId);
    Q_INVOKABLE CaptureHistoryViewModel* openHistory();
    Q_INVOKABLE TaskDetailViewModel* openTaskDetail(const QString& taskId);

Q_SIGNALS:
    void foldersChanged();
    void selectedFolderIdChanged();
    void tasksChanged();
    void sortChanged();
    void assistantAnswerChanged();
    void errorTextChanged();
    void isBusyChanged();
    void statusTextChanged();
    void reminderNoticeChanged();
    void editRequested(const QString& taskId);

private:
    QString selectedFolderIdValue() const { return m_selectedFolderId.value_or(QString()); }
    QString assistantAnswerValue() const { return m_assistantAnswer.value_or(QString()); }
    QString errorTextValue() const { return m_errorText.value_or(QString()); }
    QString statusTextValue() const { return m_statusText.value_or(QString()); }

    void setFolders(QList<Folder> folders);
    void setSelectedFolderId(std::optional<QString> id);
    void setTasks(QList<TaskItem> tasks, std::optional<QString> folderId);
    void replaceTaskWithId(const QString& id, TaskItem task);
    void setAssistantAnswer(std::optional<QString> answer);
    void setErrorText(std::optional<QString> text);
    void setBusy(bool busy);
    void setStatusText(std::optional<QString> text);
    void beginCapture(const QString& status);
    void endCapture();
    void fail(std::exception_ptr error, const QString& label);
    void answerShown(std::optional<QString> answer);
    // The replica's side (AppViewModelOffline.cpp).
    void followOffline();
    void showCachedFolders();
    void showCachedTasks(const std::optional<QString>& folderId);

    AuthSession* m_session;
    std::shared_ptr<SpeechTranscriber> m_transcriber;
    FolderListModel* m_folderModel;
    TaskListModel* m_taskModel;
    OfflineMode* m_offline;
    CaptureInput* m_captureInput;
    std::optional<QString> m_selectedFolderId;
    // The folder filter of the load whose tasks are listed (absent: every folder's). It trails
    // the selection while a newly selected folder's tasks are loading.
    std::optional<QString> m_listedFolderId;
    TaskSort m_sort = TaskSort::createdDesc;
    std::optional<QString> m_assistantAnswer;
    std::optional<QString> m_errorText;
    bool m_isBusy = false;
    std::optional<QString> m_statusText;
    QString m_reminderNotice;
    // Only the latest load of each list may write its outcome; see loadFolders and loadTasks.
    quint64 m_folderLoads = 0;
    quint64 m_taskLoads = 0;
};
