#pragma once

#include "OndrelCore/wire/ChecklistItem.h"

#include <QAbstractListModel>
#include <QList>
#include <QtQml/qqmlregistration.h>

// The checklist of the detail screen's task. A new list resets it; ticking an entry changes
// one row.
class ChecklistModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by TaskDetailViewModel")

public:
    enum Role {
        EntryIdRole = Qt::UserRole + 1,
        TitleRole,
        DoneRole,
    };
    Q_ENUM(Role)

    explicit ChecklistModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void setEntries(QList<ChecklistItem> entries);
    // Announces that the entry at `row` was ticked or unticked in `entries`.
    void setDone(int row, bool done);

private:
    QList<ChecklistItem> m_entries;
};
