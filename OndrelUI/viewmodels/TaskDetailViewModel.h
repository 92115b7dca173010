#pragma once

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/wire/Priority.h"
#include "OndrelCore/wire/TaskItem.h"
#include "OndrelCore/wire/TaskStatus.h"

#include <QCoroTask>
#include <QObject>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

#include <optional>

// The one task of the detail screen. A change of title, status or priority goes to the service
// as a partial update whose answer replaces the task; ticking a checklist entry is local only.
class TaskDetailViewModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created with a task and a service client")

    Q_PROPERTY(TaskItem task READ task NOTIFY taskChanged)
    Q_PROPERTY(QVariant errorText READ errorTextValue NOTIFY errorTextChanged)

public:
    TaskDetailViewModel(TaskItem task, APIClient api, QObject* parent = nullptr);

    const TaskItem& task() const { return m_task; }
    const std::optional<QString>& errorText() const { return m_errorText; }
    const APIClient& api() const { return m_api; }

    // Sends only the given fields. Never throws; a failure sets errorText.
    QCoro::Task<void> save(std::optional<QString> title, std::optional<TaskStatus> status,
                           std::optional<Priority> priority);
    Q_INVOKABLE void toggleChecklist(const QString& id);

Q_SIGNALS:
    void taskChanged();
    void errorTextChanged();

private:
    QVariant errorTextValue() const;
    void setTask(TaskItem task);

    TaskItem m_task;
    std::optional<QString> m_errorText;
    APIClient m_api;
};
