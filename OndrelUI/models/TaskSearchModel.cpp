#include "OndrelUI/models/TaskSearchModel.h"

#include "OndrelCore/planning/TaskSort.h"
#include "OndrelUI/offline/OfflineMode.h"
#include "OndrelUI/offline/OfflineReplica.h"
#include "OndrelUI/viewmodels/AppViewModel.h"
#include "OndrelUI/viewmodels/FailureText.h"
#include "OndrelUI/viewmodels/SessionAttempt.h"

#include <algorithm>

TaskSearchModel::TaskSearchModel(QObject* parent)
    : QSortFilterProxyModel(parent), m_allTasks(new TaskListModel(this)) {
    for (const auto changed : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(this, changed, this, &TaskSearchModel::resultCountChanged);
    connect(this, &QAbstractItemModel::modelReset, this, &TaskSearchModel::resultCountChanged);
    connect(this, &QAbstractItemModel::layoutChanged, this, &TaskSearchModel::resultCountChanged);
}

void TaskSearchModel::setViewModel(AppViewModel* viewModel) {
    if (viewModel == m_viewModel)
        return;
    if (m_viewModel)
        disconnect(m_viewModel, nullptr, this, nullptr);
    m_viewModel = viewModel;
    if (m_viewModel)
        // Every folder's list follows what changes in the selected one.
        connect(m_viewModel, &AppViewModel::tasksChanged, this, [this] {
            if (m_allFolders)
                loadAllTasks();
        });
    showRows();
    Q_EMIT viewModelChanged();
}

void TaskSearchModel::setQuery(const QString& query) {
    if (query == m_query)
        return;
    m_query = query;
    m_matcher = TaskMatcher(query);
    invalidateFilter();
    // The marks follow the query.
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 0),
                           {TitleMarkupRole, DescriptionMarkupRole});
    Q_EMIT queryChanged();
}

void TaskSearchModel::setAllFolders(bool allFolders) {
    if (allFolders == m_allFolders)
        return;
    m_allFolders = allFolders;
    showRows();
    if (m_allFolders)
        loadAllTasks();
    else
        setErrorText({});
    Q_EMIT allFoldersChanged();
}

void TaskSearchModel::showRows() {
    ++m_loads; // a load still running no longer shows
    setLoading(false);
    if (!m_allFolders)
        m_allTasks->setTasks({});
    setSourceModel(m_allFolders || !m_viewModel ? m_allTasks : m_viewModel->taskRows());
}

QCoro::Task<void> TaskSearchModel::loadAllTasks() {
    if (!m_viewModel)
        co_return;
    QPointer<TaskSearchModel> self(this);
    const quint64 ticket = ++m_loads;
    const TaskSort sort = m_viewModel->sort();
    setLoading(true);
    auto calling =
        attempt(m_viewModel->session(), [](APIClient api) { return api.listTasks(std::nullopt); });
    auto outcome = co_await calling;
    if (!self || ticket != m_loads)
        co_return;
    setLoading(false);
    // Unreachable, every folder is searched in the replica: the last list plus local changes.
    OfflineMode* offline = m_viewModel->offline();
    QList<TaskItem> found;
    if (!outcome.error)
        found = sortTasks(*outcome.value, sort);
    else if (offline->absorbs(outcome.error) && offline->replica())
        found = copiesOf(offline->replica()->store().tasks(std::nullopt, sort));
    else
        co_return setErrorText(failureText(outcome.error, QStringLiteral("найти во всех папках")));
    setErrorText({});
    m_allTasks->setTasks(std::move(found));
}

void TaskSearchModel::setSourceModel(QAbstractItemModel* source) {
    if (source == sourceModel())
        return;
    if (sourceModel())
        disconnect(sourceModel(), nullptr, this, nullptr);
    m_folded.clear();
    // Connected before the proxy's own handlers, which filter with the cache.
    const auto drop = [this] { m_folded.clear(); };
    if (source) {
        connect(source, &QAbstractItemModel::modelAboutToBeReset, this, drop);
        connect(source, &QAbstractItemModel::modelReset, this, drop);
        connect(source, &QAbstractItemModel::rowsInserted, this, drop);
        connect(source, &QAbstractItemModel::rowsRemoved, this, drop);
        connect(source, &QAbstractItemModel::rowsMoved, this, drop);
        connect(source, &QAbstractItemModel::dataChanged, this, drop);
        connect(source, &QAbstractItemModel::layoutChanged, this, drop);
    }
    QSortFilterProxyModel::setSourceModel(source);
}

const TaskItem* TaskSearchModel::taskAt(int row) const {
    if (row < 0 || row >= rowCount())
        return nullptr;
    return rows()->taskAtRow(mapToSource(index(row, 0)).row());
}

bool TaskSearchModel::matchesSourceRow(int sourceRow) const {
    const TaskListModel* source = rows();
    if (m_folded.size() != source->rowCount()) {
        m_folded.clear();
        m_folded.reserve(source->rowCount());
        for (int row = 0; row < source->rowCount(); ++row) {
            const TaskItem* task = source->taskAtRow(row);
            m_folded.append(task ? TaskMatcher::searchText(*task) : QString());
        }
    }
    return source->taskAtRow(sourceRow) && m_matcher.matchesFolded(m_folded[sourceRow]);
}

bool TaskSearchModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (m_matcher.isEmpty())
        return true;
    const TaskListModel* source = rows();
    if (source->taskAtRow(sourceRow))
        return matchesSourceRow(sourceRow);
    // The header: only above a finished task that is found (they all follow it).
    for (int row = sourceRow + 1; row < source->rowCount(); ++row)
        if (matchesSourceRow(row))
            return true;
    return false;
}

int TaskSearchModel::resultCount() const {
    int count = 0;
    for (int row = 0; row < rowCount(); ++row)
        count += !index(row, 0).data(TaskListModel::IsHeaderRole).toBool();
    return count;
}

int TaskSearchModel::adjacentTaskRow(int row, int step) const {
    for (int next = row + (step < 0 ? -1 : 1); next >= 0 && next < rowCount();
         next += step < 0 ? -1 : 1)
        if (taskAt(next))
            return next;
    return row;
}

QString TaskSearchModel::taskIdAtRow(int row) const {
    const TaskItem* task = taskAt(row);
    return task ? task->id : QString();
}

QString TaskSearchModel::folderIdAtRow(int row) const {
    const TaskItem* task = taskAt(row);
    return task ? task->folderId.value_or(QString()) : QString();
}

const Folder* TaskSearchModel::folderAt(int row) const {
    const QString folderId = folderIdAtRow(row);
    if (!m_allFolders || !m_viewModel || folderId.isEmpty())
        return nullptr;
    const QList<Folder>& folders = m_viewModel->folders();
    const auto found = std::find_if(folders.begin(), folders.end(),
                                    [&](const Folder& folder) { return folder.id == folderId; });
    return found == folders.end() ? nullptr : &*found;
}

QVariant TaskSearchModel::data(const QModelIndex& index, int role) const {
    switch (role) {
    case FolderNameRole: {
        const Folder* folder = folderAt(index.row());
        if (!folder)
            return QString();
        return folder->emoji ? *folder->emoji + QLatin1Char(' ') + folder->name : folder->name;
    }
    case TitleMarkupRole:
        return m_matcher.isEmpty()
                   ? QString()
                   : m_matcher.marked(data(index, TaskListModel::TitleRole).toString());
    case DescriptionMarkupRole:
        return m_matcher.isEmpty()
                   ? QString()
                   : m_matcher.marked(
                         data(index, TaskListModel::DescriptionPreviewRole).toString());
    case TaskListModel::SpokenTextRole: {
        const QString spoken = QSortFilterProxyModel::data(index, role).toString();
        const Folder* folder = folderAt(index.row());
        return folder ? spoken + QStringLiteral(", папка ") + folder->name : spoken;
    }
    default:
        return QSortFilterProxyModel::data(index, role);
    }
}

QHash<int, QByteArray> TaskSearchModel::roleNames() const {
    QHash<int, QByteArray> names = TaskListModel().roleNames();
    names.insert(FolderNameRole, "folderName");
    names.insert(TitleMarkupRole, "titleMarkup");
    names.insert(DescriptionMarkupRole, "descriptionMarkup");
    return names;
}

void TaskSearchModel::setLoading(bool loading) {
    if (loading == m_loading)
        return;
    m_loading = loading;
    Q_EMIT loadingChanged();
}

void TaskSearchModel::setErrorText(const QString& text) {
    if (text == m_errorText)
        return;
    m_errorText = text;
    Q_EMIT errorTextChanged();
}
