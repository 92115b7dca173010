#include "OndrelUI/viewmodels/CaptureInput.h"

#include "OndrelUI/viewmodels/AppViewModel.h"
#include "OndrelUI/viewmodels/Outcome.h"
#include "OndrelUI/viewmodels/TextRules.h"

namespace {

QString interruptionText(AudioRecorder::Interruption cause) {
    const QString stopped = QStringLiteral("Запись прервалась: ");
    switch (cause) {
    case AudioRecorder::Interruption::deviceLost:
        return stopped + QStringLiteral("микрофон отключён");
    case AudioRecorder::Interruption::encoderFailed:
        break;
    }
    return stopped + QStringLiteral("не удалось сохранить звук");
}

} // namespace

CaptureInput::CaptureInput(AppViewModel* screen) : QObject(screen), m_screen(screen) {
    connect(screen, &AppViewModel::errorTextChanged, this, [this] {
        if (m_screen->errorText().value_or(QString()) != m_line)
            setAudio(std::nullopt);
    });
}

void CaptureInput::offer(std::optional<QByteArray> audio) {
    m_line = m_screen->errorText().value_or(QString());
    setAudio(std::move(audio));
}

void CaptureInput::setAudio(std::optional<QByteArray> audio) {
    const bool had = m_audio.has_value();
    m_audio = std::move(audio);
    if (had != m_audio.has_value())
        Q_EMIT canRetryCaptureChanged();
}

bool CaptureInput::submitInput(const QString& input) {
    if (isBlankLine(input))
        return false;
    m_screen->send(input);
    return true;
}

void CaptureInput::toggleRecording(AudioRecorder* recorder) {
    if (!recorder)
        return;
    if (!recorder->isRecording()) {
        // A recording finished while a capture is busy would be refused.
        if (!m_screen->isBusy()) {
            watch(recorder);
            recorder->startRecording();
        }
        return;
    }
    const QByteArray audio = recorder->stopRecording();
    if (!audio.isEmpty() && !recorder->interruption()) // else it is on offer already
        m_screen->capture(audio);
}

QCoro::QmlTask CaptureInput::retryCapture() {
    if (!m_audio)
        return noAction();
    const QByteArray audio = *m_audio; // the capture withdraws the offer as it starts
    return m_screen->capture(audio);
}

void CaptureInput::watch(AudioRecorder* recorder) {
    if (recorder == m_recorder)
        return;
    if (m_recorder)
        disconnect(m_recorder, nullptr, this, nullptr);
    m_recorder = recorder;
    connect(recorder, &AudioRecorder::interrupted, this, &CaptureInput::offerInterrupted);
}

// Whatever the recording holds is offered, never sent unasked: it may end mid-word.
void CaptureInput::offerInterrupted(AudioRecorder::Interruption cause) {
    m_screen->showError(interruptionText(cause));
    offer(m_recorder ? m_recorder->stop() : std::nullopt);
}
