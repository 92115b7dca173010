#include "OndrelUI/viewmodels/FolderDeleteForm.h"

#include "OndrelUI/models/FolderListModel.h"

#include <QPointer>

namespace {

QList<ChoiceListModel::Choice> targetChoices(const QList<Folder>& folders) {
    QList<ChoiceListModel::Choice> choices;
    for (const Folder& folder : folders)
        choices.append({folder.id, FolderListModel::label(folder)});
    return choices;
}

} // namespace

FolderDeleteForm::FolderDeleteForm(Folder folder, const QList<Folder>& otherFolders,
                                   ConfirmAction onConfirm, QObject* parent)
    : QObject(parent), m_folder(std::move(folder)), m_onConfirm(std::move(onConfirm)),
      m_targets(new ChoiceListModel(targetChoices(otherFolders), this)) {
    if (!otherFolders.isEmpty())
        m_targetId = otherFolders.first().id;
}

void FolderDeleteForm::setMode(Mode mode) {
    if (mode == m_mode)
        return;
    m_mode = mode;
    Q_EMIT modeChanged();
}

int FolderDeleteForm::targetIndex() const {
    return m_targetId ? m_targets->indexOf(*m_targetId) : -1;
}

void FolderDeleteForm::setTargetIndex(int index) {
    if (index < 0 || index >= m_targets->rowCount() || index == targetIndex())
        return;
    m_targetId = m_targets->choices()[index].value;
    Q_EMIT targetIdChanged();
}

// The form may be gone when the deletion returns.
QCoro::Task<void> FolderDeleteForm::confirmDeletion() {
    if (m_working)
        co_return;
    QPointer<FolderDeleteForm> self(this);
    m_working = true;
    Q_EMIT workingChanged();
    const bool deleteTasks = m_mode == Mode::delete_;
    auto deleting = m_onConfirm(deleteTasks, deleteTasks ? std::nullopt : m_targetId);
    co_await deleting;
    if (self)
        Q_EMIT finished();
}
