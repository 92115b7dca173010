#pragma once

#include <QAbstractItemModel>
#include <QSignalSpy>

// Counts the structural signals of a model, to tell a one-row update from a reset.
struct ModelSignalLog {
    explicit ModelSignalLog(QAbstractItemModel* model)
        : resets(model, &QAbstractItemModel::modelReset),
          dataChanges(model, &QAbstractItemModel::dataChanged),
          inserts(model, &QAbstractItemModel::rowsInserted),
          removals(model, &QAbstractItemModel::rowsRemoved),
          moves(model, &QAbstractItemModel::rowsMoved) {}

    void clear() {
        for (QSignalSpy* spy : {&resets, &dataChanges, &inserts, &removals, &moves})
            spy->clear();
    }
    int structural() const {
        return int(resets.size() + inserts.size() + removals.size() + moves.size());
    }

    QSignalSpy resets;
    QSignalSpy dataChanges;
    QSignalSpy inserts;
    QSignalSpy removals;
    QSignalSpy moves;
};
