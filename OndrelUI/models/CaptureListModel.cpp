#include "OndrelUI/models/CaptureListModel.h"

#include "OndrelUI/models/TaskFacts.h"

#include <QTimeZone>

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
    case CreatedTextRole:
        return TaskFacts::abbreviatedDate(capture.createdAt, QTimeZone::systemTimeZone());
    default:
        return {};
    }
}

QHash<int, QByteArray> CaptureListModel::roleNames() const {
    return {{CaptureIdRole, "captureId"},
            {StatusRole, "status"},
            {CreatedAtRole, "createdAt"},
            {CreatedTextRole, "createdText"}};
}

QString CaptureListModel::captureIdAtRow(int row) const {
    return row >= 0 && row < m_captures.size() ? m_captures[row].id : QString();
}

bool CaptureListModel::setCaptures(QList<Capture> captures) {
    if (captures == m_captures)
        return false;
    beginResetModel();
    m_captures = std::move(captures);
    endResetModel();
    return true;
}
