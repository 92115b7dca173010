#pragma once

#include "OndrelCore/wire/Folder.h"
#include "OndrelUI/models/TaskListModel.h"
#include "OndrelUI/models/TaskMatcher.h"
#include "OndrelUI/viewmodels/AppViewModel.h"

#include <QCoroTask>
#include <QPointer>
#include <QSortFilterProxyModel>
#include <QtQml/qqmlregistration.h>

// The task list as the screen shows it: the selected folder's rows, or, with `allFolders`, the
// rows of every folder's tasks (loaded for the search and labelled with their folder), kept to
// the tasks that answer `query` (see TaskMatcher). Without a query the rows pass unchanged. The
// "Выполнено" header stays while a finished task is among the results. Each task's search text
// is folded once per change of the list, so a keystroke costs one substring search per task.
class TaskSearchModel : public QSortFilterProxyModel {
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(
        AppViewModel* viewModel READ viewModel WRITE setViewModel NOTIFY viewModelChanged REQUIRED)
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(bool allFolders READ allFolders WRITE setAllFolders NOTIFY allFoldersChanged)
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    Q_PROPERTY(QString errorText READ errorText NOTIFY errorTextChanged)
    Q_PROPERTY(int resultCount READ resultCount NOTIFY resultCountChanged)

public:
    enum Role {
        FolderNameRole = TaskListModel::SpokenTextRole + 1, // empty unless `allFolders`
        TitleMarkupRole,       // the title with the matches marked; empty without a query
        DescriptionMarkupRole, // the same for the description preview
    };
    Q_ENUM(Role)

    explicit TaskSearchModel(QObject* parent = nullptr);

    AppViewModel* viewModel() const { return m_viewModel; }
    void setViewModel(AppViewModel* viewModel);
    const QString& query() const { return m_query; }
    void setQuery(const QString& query);
    bool allFolders() const { return m_allFolders; }
    void setAllFolders(bool allFolders);
    bool loading() const { return m_loading; }
    const QString& errorText() const { return m_errorText; }
    int resultCount() const;

    // The list's keys, over the rows shown: the next task row from `row` in the direction of
    // `step`, past the header (`row` itself, or -1, when there is none); the task and folder
    // of a row (empty for the header or a row out of range).
    Q_INVOKABLE int adjacentTaskRow(int row, int step) const;
    Q_INVOKABLE QString taskIdAtRow(int row) const;
    Q_INVOKABLE QString folderIdAtRow(int row) const;

    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    void setSourceModel(QAbstractItemModel* source) override;

Q_SIGNALS:
    void viewModelChanged();
    void queryChanged();
    void allFoldersChanged();
    void loadingChanged();
    void errorTextChanged();
    void resultCountChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    TaskListModel* rows() const { return static_cast<TaskListModel*>(sourceModel()); }
    const TaskItem* taskAt(int row) const;
    bool matchesSourceRow(int sourceRow) const;
    // The folder of the task at `row`, only while searching every folder.
    const Folder* folderAt(int row) const;
    void showRows();
    QCoro::Task<void> loadAllTasks();
    void setLoading(bool loading);
    void setErrorText(const QString& text);

    QPointer<AppViewModel> m_viewModel;
    TaskListModel* m_allTasks;
    QString m_query;
    TaskMatcher m_matcher;
    bool m_allFolders = false;
    bool m_loading = false;
    QString m_errorText;
    quint64 m_loads = 0; // only the latest load of every folder's tasks is shown
    // TaskMatcher::searchText of each source row (empty for the header), built on demand and
    // dropped whenever the source changes.
    mutable QList<QString> m_folded;
};
