#pragma once

#include "OndrelCore/wire/Folder.h"
#include "OndrelUI/models/ChoiceListModel.h"

#include <QCoroQmlTask>
#include <QCoroTask>
#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

// The folder delete sheet's state: whether the folder's tasks move to another folder or go
// with it, and where they move. The confirm action receives the delete-tasks flag and the
// target (absent when deleting, or when there is no other folder); `finished` tells the opener
// to close the sheet once it has returned. A chosen target survives switching modes.
class FolderDeleteForm : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Opened by AppViewModel for one folder")

    Q_PROPERTY(QString folderName READ folderName CONSTANT)
    // The mode as the segmented choice shows it: true for Mode::delete_.
    Q_PROPERTY(bool deletesTasks READ deletesTasks WRITE setDeletesTasks NOTIFY modeChanged)
    Q_PROPERTY(ChoiceListModel* targets READ targets CONSTANT)
    Q_PROPERTY(int targetIndex READ targetIndex WRITE setTargetIndex NOTIFY targetIdChanged)
    // The confirm action is running (or has run): the button stays disabled.
    Q_PROPERTY(bool working READ working NOTIFY workingChanged)

public:
    enum class Mode { move, delete_ };
    using ConfirmAction =
        std::function<QCoro::Task<void>(bool deleteTasks, std::optional<QString> moveTo)>;

    FolderDeleteForm(Folder folder, const QList<Folder>& otherFolders, ConfirmAction onConfirm,
                     QObject* parent = nullptr);

    QString folderName() const { return m_folder.name; }
    Mode mode() const { return m_mode; }
    void setMode(Mode mode);
    bool deletesTasks() const { return m_mode == Mode::delete_; }
    void setDeletesTasks(bool deletes) { setMode(deletes ? Mode::delete_ : Mode::move); }
    ChoiceListModel* targets() const { return m_targets; }
    const std::optional<QString>& targetId() const { return m_targetId; }
    int targetIndex() const;
    void setTargetIndex(int index);
    bool working() const { return m_working; }

    // The confirm button: the deletion, once, then `finished`.
    QCoro::Task<void> confirmDeletion();
    Q_INVOKABLE QCoro::QmlTask confirm() { return confirmDeletion(); }

Q_SIGNALS:
    void modeChanged();
    void targetIdChanged();
    void workingChanged();
    void finished();

private:
    Folder m_folder;
    ConfirmAction m_onConfirm;
    ChoiceListModel* m_targets;
    Mode m_mode = Mode::move;
    std::optional<QString> m_targetId;
    bool m_working = false;
};
