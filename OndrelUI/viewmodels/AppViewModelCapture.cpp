#include "OndrelUI/viewmodels/AppViewModel.h"

#include "OndrelCore/client/APIClient.h"
#include "OndrelUI/session/AuthSession.h"
#include "OndrelUI/viewmodels/SessionAttempt.h"

#include <QPointer>

// The two captures, typed and spoken: they exclude each other through isBusy, show their
// progress in statusText, and reload everything once the assistant has answered.

namespace {

// Typed and spoken captures fail under the same label.
QString captureLabel() {
    return QStringLiteral("обработать запрос");
}

} // namespace

void AppViewModel::beginCapture(const QString& status) {
    setBusy(true);
    setStatusText(status);
    setAssistantAnswer(std::nullopt);
    setErrorText(std::nullopt);
    setReminderNotice(QString());
}

void AppViewModel::answerShown(std::optional<QString> answer) {
    setAssistantAnswer(answer.value_or(QStringLiteral("Готово")));
}

void AppViewModel::endCapture() {
    setBusy(false);
    setStatusText(std::nullopt);
}

QCoro::Task<void> AppViewModel::send(QString text) {
    QPointer<AppViewModel> self(this);
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || m_isBusy)
        co_return;
    beginCapture(QStringLiteral("AI разбирает…"));
    auto calling = attempt(m_session, m_offline,
                           [trimmed](APIClient api) { return api.assistantAsk(trimmed); });
    auto outcome = co_await calling;
    if (!self)
        co_return;
    const auto queued = m_offline->queueOn(outcome.error, &OfflineReplica::ask, trimmed);
    if (outcome.error) {
        if (!queued)
            fail(outcome.error, captureLabel());
        endCapture();
        co_return;
    }
    setAssistantAnswer(outcome.value->answer);
    auto reloading = loadAll();
    co_await reloading;
    if (!self)
        co_return;
    endCapture();
}

QCoro::Task<void> AppViewModel::capture(QByteArray audioData) {
    QPointer<AppViewModel> self(this);
    if (m_isBusy)
        co_return;
    beginCapture(QStringLiteral("Распознаю и разбираю…"));
    const QString audioBase64 = QString::fromLatin1(audioData.toBase64());
    const QString mimeType = QStringLiteral("audio/m4a");
    auto calling = attempt(m_session, m_offline, [audioBase64, mimeType](APIClient api) {
        return api.createCapture(audioBase64, mimeType, std::nullopt);
    });
    auto outcome = co_await calling;
    if (!self)
        co_return;
    // Kept as a file in the queue, never only in memory.
    const auto queued =
        m_offline->queueOn(outcome.error, &OfflineReplica::capture, audioData, mimeType);
    if (outcome.error && !queued) {
        fail(outcome.error, captureLabel());
        m_captureInput->offer(std::move(audioData)); // with the line fail() has just shown
    }
    if (outcome.error) {
        endCapture();
        co_return;
    }
    const auto& result = outcome.value->result;
    answerShown(result ? std::optional(result->answer) : std::nullopt);
    auto reloading = loadAll();
    co_await reloading;
    if (!self)
        co_return;
    endCapture();
}
