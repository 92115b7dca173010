#pragma once

#include <QObject>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

#include <functional>

// "Отменить" after completing, reopening or deleting a task: offered for five seconds, for
// the latest such change only.
class UndoOffer : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by the main screen's view model")

    Q_PROPERTY(bool shown READ shown NOTIFY shownChanged)

public:
    static constexpr int shownMs = 5000;

    explicit UndoOffer(QObject* parent = nullptr);

    bool shown() const { return bool(m_undo); }
    // Replaces any earlier offer.
    void offer(std::function<void()> undo);
    // Runs the offered undo once; nothing when no offer is shown.
    Q_INVOKABLE void undo();

Q_SIGNALS:
    void shownChanged();

private:
    void clear();

    std::function<void()> m_undo;
    QTimer m_expiry;
};
