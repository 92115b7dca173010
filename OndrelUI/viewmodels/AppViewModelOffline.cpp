#include "OndrelUI/viewmodels/AppViewModel.h"

// The replica's side of the main screen: the lists it shows while the service is away, the
// answers and refusals of queued changes, the marks on cards with unsent changes.

void AppViewModel::followOffline() {
    connect(m_offline, &OfflineMode::answered, this, &AppViewModel::answerShown);
    connect(m_offline, &OfflineMode::refused, this, &AppViewModel::showError);
    connect(m_offline, &OfflineMode::synced, this, [this] { loadAll(); });
    connect(m_offline, &OfflineMode::undone, this, [this] { showCachedTasks(m_listedFolderId); });
    connect(m_offline, &OfflineMode::queueChanged, this,
            [this] { m_taskModel->setPendingIds(m_offline->pendingIds()); });
}

void AppViewModel::showCachedFolders() {
    if (const OfflineReplica* replica = m_offline->replica())
        setFolders(replica->store().activeFolders());
    if (!m_folderLoads) // the first start: the selected folder's tasks come with them
        showCachedTasks(m_selectedFolderId);
}

void AppViewModel::showCachedTasks(const std::optional<QString>& folderId) {
    if (const OfflineReplica* replica = m_offline->replica())
        setTasks(copiesOf(replica->store().tasks(folderId, m_sort)), folderId);
}
