#include "OndrelUI/models/ChoiceListModel.h"

#include <algorithm>

ChoiceListModel::ChoiceListModel(QList<Choice> choices, QObject* parent)
    : QAbstractListModel(parent), m_choices(std::move(choices)) {}

int ChoiceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_choices.size());
}

QVariant ChoiceListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Choice& choice = m_choices[index.row()];
    switch (role) {
    case ValueRole:
        return choice.value;
    case LabelRole:
        return choice.label;
    default:
        return {};
    }
}

QHash<int, QByteArray> ChoiceListModel::roleNames() const {
    return {{ValueRole, "value"}, {LabelRole, "label"}};
}

int ChoiceListModel::indexOf(const QString& value) const {
    const auto found = std::find_if(m_choices.begin(), m_choices.end(),
                                    [&](const Choice& choice) { return choice.value == value; });
    return found == m_choices.end() ? -1 : int(found - m_choices.begin());
}
