#pragma once

#include "OndrelUI/recorder/PcmSource.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

class RecordingSession;

// Records the voice between start() and stop() into a new "od-<UUID>.m4a" in the temporary
// folder (AAC-LC, 44.1 kHz, mono), publishes the input level every 0.1 s while recording, and
// hands back the file's bytes on stop. Recordings are never deleted here. Lives on the GUI
// thread; encoding runs on a thread of its own.
class AudioRecorder : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool isRecording READ isRecording NOTIFY isRecordingChanged)
    Q_PROPERTY(double level READ level NOTIFY levelChanged)

public:
    // What ended a recording before stop() was called.
    enum class Interruption { deviceLost, encoderFailed };
    Q_ENUM(Interruption)

    // Records from the system's default input device.
    explicit AudioRecorder(QObject* parent = nullptr);
    AudioRecorder(std::unique_ptr<PcmSource> source, QObject* parent = nullptr);
    // A recording still running is completed, so its file stays playable.
    ~AudioRecorder() override;

    bool isRecording() const { return m_recording != nullptr; }
    double level() const { return m_level; }
    // The file of the current or last recording.
    std::optional<QUrl> fileURL() const { return m_fileURL; }
    // What cut the current or last recording short, if anything did.
    std::optional<Interruption> interruption() const { return m_interruption; }

    // Begins a new recording; one already running is stopped first and its file completed.
    // Throws RecorderError (no input device, a device that refuses to open, a file that cannot
    // be written); nothing else changes then.
    void start();
    // Ends the recording and returns the bytes of the last recording's file; nothing when there
    // was none, it is not a complete file (its encoder failed) or it cannot be read.
    std::optional<QByteArray> stop();

    // For QML: start() with the failure swallowed; false when it failed.
    Q_INVOKABLE bool startRecording();
    // For QML: stop(), empty when there is nothing.
    Q_INVOKABLE QByteArray stopRecording();

Q_SIGNALS:
    void isRecordingChanged();
    void levelChanged();
    // A recording ended short: by itself, or its sound could not all be kept (which may come
    // to light only as it is stopped). It is completed like a stopped one, so stop() hands back
    // whatever it holds. Emitted once the recording has ended.
    void interrupted(AudioRecorder::Interruption cause);

private:
    void endRecording(std::optional<Interruption> cause = std::nullopt);
    bool completeRecording();
    void onCaptured(const QByteArray& pcm);
    void meter();
    void setLevel(double level);

    std::unique_ptr<PcmSource> m_source;
    std::unique_ptr<RecordingSession> m_recording; // present exactly while recording
    quint64 m_recordingNumber = 0;                 // tells a late failure report from a current one
    std::optional<QUrl> m_fileURL;
    bool m_fileComplete = false; // of m_fileURL
    std::optional<Interruption> m_interruption;
    double m_level = 0;
    QTimer m_meteringTimer;
};
