#pragma once

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/wire/Priority.h"
#include "OndrelCore/wire/TaskItem.h"
#include "OndrelCore/wire/TaskStatus.h"
#include "OndrelUI/models/ChecklistModel.h"
#include "OndrelUI/models/ChoiceListModel.h"

#include <QCoroQmlTask>
#include <QCoroTask>
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
    // The due date as an abbreviated date in the local zone; empty without one.
    Q_PROPERTY(QString dueText READ dueText NOTIFY taskChanged)
    Q_PROPERTY(QString status READ status NOTIFY taskChanged) // wire string
    // Every status in declaration order, each labelled with its wire string.
    Q_PROPERTY(ChoiceListModel* statusChoices READ statusChoices CONSTANT)
    Q_PROPERTY(int statusIndex READ statusIndex NOTIFY taskChanged)
    Q_PROPERTY(ChecklistModel* checklist READ checklist CONSTANT)
    Q_PROPERTY(QString errorText READ errorTextValue NOTIFY errorTextChanged) // empty: none

public:
    TaskDetailViewModel(TaskItem task, APIClient api, QObject* parent = nullptr);

    const TaskItem& task() const { return m_task; }
    const std::optional<QString>& errorText() const { return m_errorText; }
    const APIClient& api() const { return m_api; }

    QString title() const { return m_task.title; }
    QString bodyText() const;
    QString dueText() const;
    QString status() const { return rawValue(m_task.status); }
    ChoiceListModel* statusChoices() const { return m_statusChoices; }
    int statusIndex() const { return m_statusChoices->indexOf(status()); }
    ChecklistModel* checklist() const { return m_checklist; }

    // Sends only the given fields. Never throws; a failure sets errorText.
    QCoro::Task<void> save(std::optional<QString> title, std::optional<TaskStatus> status,
                           std::optional<Priority> priority);
    Q_INVOKABLE void toggleChecklist(const QString& id);

    // The status picker: saves the status at that row of statusChoices alone. The picker
    // keeps showing `status`, which changes once the service's answer replaces the task.
    Q_INVOKABLE QCoro::QmlTask chooseStatus(int index);

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
    ChoiceListModel* m_statusChoices;
};
