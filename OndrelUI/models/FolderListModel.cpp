#include "OndrelUI/models/FolderListModel.h"

#include <algorithm>

FolderListModel::FolderListModel(QObject* parent) : QAbstractListModel(parent) {}

int FolderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_folders.size());
}

QVariant FolderListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Folder& folder = m_folders[index.row()];
    switch (role) {
    case FolderIdRole:
        return folder.id;
    case NameRole:
        return folder.name;
    case EmojiRole:
        return folder.emoji.value_or(QString());
    case LabelRole:
        return label(folder);
    case ColorRole:
        return folder.color ? QVariant(*folder.color) : QVariant();
    case IsSystemRole:
        return folder.isSystem;
    case IsSelectedRole:
        return m_selectedId && *m_selectedId == folder.id;
    default:
        return {};
    }
}

QString FolderListModel::label(const Folder& folder) {
    return folder.emoji.value_or(QString()) + u' ' + folder.name;
}

QHash<int, QByteArray> FolderListModel::roleNames() const {
    return {
        {FolderIdRole, "folderId"},     {NameRole, "name"},   {EmojiRole, "emoji"},
        {LabelRole, "label"},           {ColorRole, "color"}, {IsSystemRole, "isSystem"},
        {IsSelectedRole, "isSelected"},
    };
}

bool FolderListModel::setFolders(QList<Folder> folders) {
    if (folders == m_folders)
        return false;
    beginResetModel();
    m_folders = std::move(folders);
    endResetModel();
    updateSelectedRow();
    return true;
}

void FolderListModel::setSelectedId(std::optional<QString> id) {
    if (id == m_selectedId)
        return;
    const auto previous = std::exchange(m_selectedId, std::move(id));
    announceSelection(previous);
    announceSelection(m_selectedId);
    updateSelectedRow();
}

void FolderListModel::updateSelectedRow() {
    int row = -1;
    for (int i = 0; m_selectedId && i < m_folders.size() && row < 0; ++i)
        row = m_folders[i].id == *m_selectedId ? i : -1;
    if (row == m_selectedRow)
        return;
    m_selectedRow = row;
    Q_EMIT selectedRowChanged();
}

void FolderListModel::announceSelection(const std::optional<QString>& id) {
    if (!id)
        return;
    for (int row = 0; row < m_folders.size(); ++row) {
        if (m_folders[row].id == *id) {
            const QModelIndex at = index(row);
            Q_EMIT dataChanged(at, at, {IsSelectedRole});
        }
    }
}

std::optional<QString> FolderListModel::adjacentId(int offset) const {
    const qsizetype target = qsizetype(std::max(m_selectedRow, 0)) + offset;
    if (target < 0 || target >= m_folders.size())
        return std::nullopt;
    return m_folders[target].id;
}
