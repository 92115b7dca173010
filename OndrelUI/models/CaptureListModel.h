#pragma once

#include "OndrelCore/wire/Capture.h"

#include <QAbstractListModel>
#include <QList>
#include <QtQml/qqmlregistration.h>

// The rows of the history screen: past captures in the service's order. A new list resets it.
class CaptureListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by CaptureHistoryViewModel")

public:
    enum Role {
        CaptureIdRole = Qt::UserRole + 1,
        StatusRole,      // wire string, e.g. "PROCESSED"
        CreatedAtRole,   // QDateTime
        CreatedTextRole, // the day it was made, as an abbreviated date in the local zone
    };
    Q_ENUM(Role)

    explicit CaptureListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<Capture>& captures() const { return m_captures; }
    // The id of the capture at a row; empty for a row out of range.
    Q_INVOKABLE QString captureIdAtRow(int row) const;
    // Returns false (and signals nothing) when the list is unchanged.
    bool setCaptures(QList<Capture> captures);

private:
    QList<Capture> m_captures;
};
