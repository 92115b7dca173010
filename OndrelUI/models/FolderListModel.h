#pragma once

#include "OndrelCore/wire/Folder.h"

#include <QAbstractListModel>
#include <QList>
#include <QtQml/qqmlregistration.h>

#include <optional>

// The folder tabs: folders in the service's order, and which one is selected. A new list resets
// the model; a change of selection touches only the rows that gain or lose it.
class FolderListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by AppViewModel")
    // The row of the selected folder, or -1: where the tabs' highlight sits.
    Q_PROPERTY(int selectedRow READ selectedRow NOTIFY selectedRowChanged)

public:
    enum Role {
        FolderIdRole = Qt::UserRole + 1,
        NameRole,
        EmojiRole, // empty when the folder has none
        LabelRole, // emoji, one space, name: the tab's text
        ColorRole, // undefined when absent
        IsSystemRole,
        IsSelectedRole,
    };
    Q_ENUM(Role)

    explicit FolderListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // How every screen names a folder: its emoji (empty without one), one space, its name.
    static QString label(const Folder& folder);

    const QList<Folder>& folders() const { return m_folders; }
    const std::optional<QString>& selectedId() const { return m_selectedId; }
    int selectedRow() const { return m_selectedRow; }

    // Returns false (and signals nothing) when the list is unchanged.
    bool setFolders(QList<Folder> folders);
    void setSelectedId(std::optional<QString> id);
    // The folder `offset` tabs from the selected one (from the first while none is selected);
    // none beyond either end.
    std::optional<QString> adjacentId(int offset) const;

Q_SIGNALS:
    void selectedRowChanged();

private:
    void announceSelection(const std::optional<QString>& id);
    void updateSelectedRow();

    QList<Folder> m_folders;
    std::optional<QString> m_selectedId;
    int m_selectedRow = -1;
};
