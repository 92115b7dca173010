#include "OndrelUI/viewmodels/CaptureHistoryViewModel.h"

#include "OndrelUI/viewmodels/Outcome.h"

#include <QPointer>

CaptureHistoryViewModel::CaptureHistoryViewModel(APIClient api, QObject* parent)
    : QObject(parent), m_captureModel(new CaptureListModel(this)), m_api(std::move(api)) {}

void CaptureHistoryViewModel::setErrorText(const QString& text) {
    if (m_errorText == text)
        return;
    m_errorText = text;
    Q_EMIT errorTextChanged();
}

// Each operation awaits a copy of the client held in its own frame, so the call stays valid
// even if the view model goes away meanwhile.

QCoro::Task<void> CaptureHistoryViewModel::load() {
    QPointer<CaptureHistoryViewModel> self(this);
    const APIClient api = m_api;
    auto calling = outcomeOf(api.listCaptures());
    auto outcome = co_await calling;
    if (!self)
        co_return;
    if (outcome.error) {
        setErrorText(QStringLiteral("Не удалось загрузить историю"));
        co_return;
    }
    if (m_captureModel->setCaptures(std::move(*outcome.value)))
        Q_EMIT capturesChanged();
}

QCoro::Task<void> CaptureHistoryViewModel::open(QString id) {
    QPointer<CaptureHistoryViewModel> self(this);
    const APIClient api = m_api;
    auto calling = outcomeOf(api.getCapture(id));
    auto outcome = co_await calling;
    if (!self)
        co_return;
    if (outcome.error) {
        setErrorText(QStringLiteral("Не удалось открыть запрос"));
        co_return;
    }
    if (m_detail == outcome.value)
        co_return;
    m_detail = std::move(outcome.value);
    Q_EMIT detailChanged();
}

QCoro::Task<void> CaptureHistoryViewModel::reprocess(QString id,
                                                     std::optional<QString> editedText) {
    QPointer<CaptureHistoryViewModel> self(this);
    const APIClient api = m_api;
    auto calling = outcomeOf(api.reprocess(id, std::move(editedText)));
    auto outcome = co_await calling;
    if (!self)
        co_return;
    if (outcome.error) {
        setErrorText(QStringLiteral("Не удалось переобработать"));
        co_return;
    }
    if (m_lastResult != outcome.value->result) {
        m_lastResult = std::move(outcome.value->result);
        Q_EMIT lastResultChanged();
    }
    auto refreshing = open(std::move(id));
    co_await refreshing;
}

QCoro::QmlTask CaptureHistoryViewModel::loadHistory() {
    return load();
}

QCoro::QmlTask CaptureHistoryViewModel::openCapture(const QString& id) {
    return id.isEmpty() ? noAction() : open(id);
}

QCoro::QmlTask CaptureHistoryViewModel::reprocessCapture(const QString& id,
                                                         const QString& editedText) {
    return reprocess(id, editedText.isEmpty() ? std::nullopt : std::optional(editedText));
}
