#include "OndrelUI/models/ChecklistModel.h"

ChecklistModel::ChecklistModel(QObject* parent) : QAbstractListModel(parent) {}

int ChecklistModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant ChecklistModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ChecklistItem& entry = m_entries[index.row()];
    switch (role) {
    case EntryIdRole:
        return entry.id;
    case TitleRole:
        return entry.title;
    case DoneRole:
        return entry.done;
    default:
        return {};
    }
}

QHash<int, QByteArray> ChecklistModel::roleNames() const {
    return {{EntryIdRole, "entryId"}, {TitleRole, "title"}, {DoneRole, "done"}};
}

void ChecklistModel::setEntries(QList<ChecklistItem> entries) {
    if (entries == m_entries)
        return;
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

void ChecklistModel::setDone(int row, bool done) {
    if (row < 0 || row >= m_entries.size() || m_entries[row].done == done)
        return;
    m_entries[row].done = done;
    const QModelIndex at = index(row);
    Q_EMIT dataChanged(at, at, {DoneRole});
}
