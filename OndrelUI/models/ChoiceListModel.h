#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The entries of one picker: what each stands for (an id or a wire string; empty for "none")
// and the label it shows, in the order offered.
class ChoiceListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Filled by the form that offers the choices")

public:
    struct Choice {
        QString value;
        QString label;
    };

    enum Role {
        ValueRole = Qt::UserRole + 1,
        LabelRole,
    };
    Q_ENUM(Role)

    explicit ChoiceListModel(QList<Choice> choices = {}, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<Choice>& choices() const { return m_choices; }
    // The row offering `value`, or -1.
    int indexOf(const QString& value) const;

private:
    QList<Choice> m_choices;
};
