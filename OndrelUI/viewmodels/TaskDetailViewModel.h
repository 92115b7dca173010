#pragma once

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/wire/Priority.h"
#include "OndrelCore/wire/TaskItem.h"
#include "OndrelCore/wire/TaskStatus.h"
#include "OndrelUI/models/ChecklistModel.h"

#include <QCoroQmlTask>
#include <QCoroTask>
#include <QDateTime>
#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <optional>

// The one task of the detail screen. A change of title, status or priority goes to the service
// as a partial update whose answer replaces the task; ticking a checklist entry is local only.
class TaskDetailViewModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created with a task and a service client")

    Q_PROPERTY(QString title READ title NOTIFY taskChanged)
    Q_PROPERTY(QString bodyText READ bodyText NOTIFY taskChanged) // empty when blank or absent
    Q_PROPERTY(QDateTime dueDate READ dueDate NOTIFY taskChanged) // invalid when absent
    Q_PROPERTY(QString status READ status NOTIFY taskChanged)     // wire string
    Q_PROPERTY(ChecklistModel* checklist READ checklist CONSTANT)
    Q_PROPERTY(QString errorText READ errorTextValue NOTIFY errorTextChanged) // empty: none

public:
    TaskDetailViewModel(TaskItem task, APIClient api, QObject* parent = nullptr);

    const TaskItem& task() const { return m_task; }
    const std::optional<QString>& errorText() const { return m_errorText; }
    const APIClient& api() const { return m_api; }

    QString title() const { return m_task.title; }
    QString bodyText() const;
    QDateTime dueDate() const;
    QString status() const { return rawValue(m_task.status); }
    ChecklistModel* checklist() const { return m_checklist; }

    // Sends only the given fields. Never throws; a failure sets errorText.
    QCoro::Task<void> save(std::optional<QString> title, std::optional<TaskStatus> status,
                           std::optional<Priority> priority);
    Q_INVOKABLE void toggleChecklist(const QString& id);

    // Entry point for QML: empty texts stand for "unchanged"; an unknown wire string for a
    // status or priority sends nothing.
    Q_INVOKABLE QCoro::QmlTask saveTask(const QString& title, const QString& status,
                                        const QString& priority);

Q_SIGNALS:
    void taskChanged();
    void errorTextChanged();

private:
    QString errorTextValue() const { return m_errorText.value_or(QString()); }
    void setTask(TaskItem task);

    TaskItem m_task;
    std::optional<QString> m_errorText;
    APIClient m_api;
    ChecklistModel* m_checklist;
};
