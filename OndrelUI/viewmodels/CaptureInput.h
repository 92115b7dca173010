#pragma once

#include "OndrelUI/recorder/AudioRecorder.h"

#include <QByteArray>
#include <QCoroQmlTask>
#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include <optional>

class AppViewModel;

// The bottom panel's input row: Return in the text field, the microphone button, and the offer
// to send again a recording that could not be sent. The offer lasts as long as the error line it
// was made with: a capture starting, or any other line, withdraws it.
class CaptureInput : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by the main screen's view model")

    Q_PROPERTY(bool canRetryCapture READ canRetryCapture NOTIFY canRetryCaptureChanged)

public:
    // A child of `screen`, whose captures it starts and whose error line it offers with.
    explicit CaptureInput(AppViewModel* screen);

    bool canRetryCapture() const { return m_audio.has_value(); }
    // Offers `audio` with the error line now shown.
    void offer(std::optional<QByteArray> audio);

    // Return in the input field or the send button: an input of only spaces (of any kind) and tabs
    // is not sent and stays in the field; otherwise it is sent as typed and the field is to be
    // cleared (returns true).
    Q_INVOKABLE bool submitInput(const QString& input);
    // The microphone button: starts a recording unless a capture is busy, or stops the running
    // one and sends what it captured. A recorder that cannot start, or a recording without
    // audio, changes nothing. A recording cut short is not sent: the error line says what cut
    // it and offers what it holds, also when it ends by itself.
    Q_INVOKABLE void toggleRecording(AudioRecorder* recorder);
    // The offered recording, sent again.
    Q_INVOKABLE QCoro::QmlTask retryCapture();

Q_SIGNALS:
    void canRetryCaptureChanged();

private:
    void setAudio(std::optional<QByteArray> audio);
    void watch(AudioRecorder* recorder);
    void offerInterrupted(AudioRecorder::Interruption cause);

    AppViewModel* m_screen;
    std::optional<QByteArray> m_audio;
    QString m_line; // the error line the offer was made with
    // The recorder the microphone button last started; its interruptions reach the error line.
    QPointer<AudioRecorder> m_recorder;
};
