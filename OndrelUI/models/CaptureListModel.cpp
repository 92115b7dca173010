#include "OndrelUI/models/CaptureListModel.h"

CaptureListModel::CaptureListModel(QObject* parent) : QAbstractListModel(parent) {}

int CaptureListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_captures.size());
}

QVariant CaptureListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Capture& capture = m_captures[index.row()];
    switch (role) {
    case CaptureIdRole:
        return capture.id;
    case StatusRole:
        return rawValue(capture.status);
    case CreatedAtRole:
        return capture.createdAt.toQDateTime();
    default:
        return {};
    }
}

QHash<int, QByteArray> CaptureListModel::roleNames() const {
    return {{CaptureIdRole, "captureId"}, {StatusRole, "status"}, {CreatedAtRole, "createdAt"}};
}

bool CaptureListModel::setCaptures(QList<Capture> captures) {
    if (captures == m_captures)
        return false;
    beginResetModel();
    m_captures = std::move(captures);
    endResetModel();
    return true;
}
