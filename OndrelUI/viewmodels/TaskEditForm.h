#pragma once

#include "OndrelCore/wire/Folder.h"
#include "OndrelCore/wire/TaskItem.h"
#include "OndrelUI/models/ChoiceListModel.h"
#include "OndrelUI/viewmodels/TaskEdit.h"

#include <QCoroQmlTask>
#include <QCoroTask>
#include <QDateTime>
#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

// The edit sheet's state for one task: the fields being edited, the pickers' choices and the
// rules of the sheet. It never talks to the service: "Готово" hands a TaskEdit to the save
// action and the confirmed deletion calls the delete action; `finished` tells the opener to
// close the sheet once either has returned.
class TaskEditForm : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Opened by AppViewModel for one task")

    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY titleChanged)
    Q_PROPERTY(QString bodyText READ bodyText WRITE setBodyText NOTIFY bodyTextChanged)
    Q_PROPERTY(ChoiceListModel* statusChoices READ statusChoices CONSTANT)
    // -1 while the task keeps a status the picker does not offer (a cancelled one).
    Q_PROPERTY(int statusIndex READ statusIndex WRITE setStatusIndex NOTIFY statusChanged)
    Q_PROPERTY(QString statusLabel READ statusLabel NOTIFY statusChanged)
    Q_PROPERTY(ChoiceListModel* priorityChoices READ priorityChoices CONSTANT)
    Q_PROPERTY(int priorityIndex READ priorityIndex WRITE setPriorityIndex NOTIFY priorityChanged)
    Q_PROPERTY(ChoiceListModel* folderChoices READ folderChoices CONSTANT)
    // -1 while the task keeps a folder that is not listed.
    Q_PROPERTY(int folderIndex READ folderIndex WRITE setFolderIndex NOTIFY folderChanged)
    Q_PROPERTY(bool hasDeadline READ hasDeadline WRITE setHasDeadline NOTIFY hasDeadlineChanged)
    // The date in the picker, in the local calendar; the month counts from 0, as calendars do.
    Q_PROPERTY(int dueYear READ dueYear NOTIFY dueDateChanged)
    Q_PROPERTY(int dueMonth READ dueMonth NOTIFY dueDateChanged)
    Q_PROPERTY(int dueDay READ dueDay NOTIFY dueDateChanged)
    Q_PROPERTY(QString dueText READ dueText NOTIFY dueDateChanged)
    Q_PROPERTY(bool saving READ saving NOTIFY savingChanged)
    // "Готово" is enabled: not saving or deleting, and the title is not blank.
    Q_PROPERTY(bool canSave READ canSave NOTIFY canSaveChanged)

public:
    using SaveAction = std::function<QCoro::Task<void>(TaskEdit)>;
    using DeleteAction = std::function<QCoro::Task<void>()>;

    TaskEditForm(const TaskItem& task, const QList<Folder>& folders, SaveAction onSave,
                 DeleteAction onDelete, QObject* parent = nullptr);

    QString title() const { return m_title; }
    void setTitle(const QString& title);
    QString bodyText() const { return m_bodyText; }
    void setBodyText(const QString& text);
    ChoiceListModel* statusChoices() const { return m_statusChoices; }
    int statusIndex() const;
    void setStatusIndex(int index);
    QString statusLabel() const;
    TaskStatus status() const { return m_status; }
    ChoiceListModel* priorityChoices() const { return m_priorityChoices; }
    int priorityIndex() const;
    void setPriorityIndex(int index);
    ChoiceListModel* folderChoices() const { return m_folderChoices; }
    int folderIndex() const;
    void setFolderIndex(int index);
    bool hasDeadline() const { return m_hasDeadline; }
    void setHasDeadline(bool on);
    int dueYear() const { return m_due.date().year(); }
    int dueMonth() const { return m_due.date().month() - 1; }
    int dueDay() const { return m_due.date().day(); }
    QString dueText() const;
    bool saving() const { return m_saving; }
    bool canSave() const;

    // What "Готово" would send now.
    TaskEdit edit() const;

    // The date picker: a day (month from 0), or a step by days or months from the shown date.
    // The time of day stays as it was.
    Q_INVOKABLE void pickDueDate(int year, int month, int day);
    Q_INVOKABLE void shiftDueDate(int days);
    Q_INVOKABLE void shiftDueMonths(int months);

    // "Готово": one save while none runs and the title is not blank, then `finished`.
    QCoro::Task<void> saveEdits();
    // The confirmed "Удалить": the delete action unless a save runs, then `finished`.
    QCoro::Task<void> removeTask();
    Q_INVOKABLE QCoro::QmlTask save() { return saveEdits(); }
    Q_INVOKABLE QCoro::QmlTask remove() { return removeTask(); }

Q_SIGNALS:
    void titleChanged();
    void bodyTextChanged();
    void statusChanged();
    void priorityChanged();
    void folderChanged();
    void hasDeadlineChanged();
    void dueDateChanged();
    void savingChanged();
    void canSaveChanged();
    void finished();

private:
    void setDue(QDateTime due);
    void setSaving(bool saving);
    void setDeleting(bool deleting);
    void updateCanSave();

    SaveAction m_onSave;
    DeleteAction m_onDelete;
    ChoiceListModel* m_statusChoices;
    ChoiceListModel* m_priorityChoices;
    ChoiceListModel* m_folderChoices;
    QString m_title;
    QString m_bodyText;
    TaskStatus m_status;
    Priority m_priority;
    std::optional<QString> m_folderId;
    bool m_hasDeadline;
    QDateTime m_due; // local time
    bool m_saving = false;
    bool m_deleting = false;
    bool m_canSave = false;
};
