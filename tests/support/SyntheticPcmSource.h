#pragma once

#include "OndrelUI/recorder/PcmSource.h"

#include <QElapsedTimer>
#include <QTimer>

#include <chrono>
#include <optional>

// PCM for tests and screenshots: a sine of a given frequency and peak amplitude (1 is full
// scale, 0 is silence), in any rate and channel count, as float or 16-bit samples. Real-time
// pacing delivers it from a timer as a microphone would; on-demand pacing only through feed().
class SyntheticPcmSource : public PcmSource {
    Q_OBJECT

public:
    struct Tone {
        double frequency;
        double amplitude;
    };
    enum class Pacing { realTime, onDemand };

    explicit SyntheticPcmSource(Tone tone = {440, 0.5}, Pacing pacing = Pacing::realTime,
                                QAudioFormat format = monoFloat44k(), QObject* parent = nullptr);

    static QAudioFormat monoFloat44k();
    // The peak amplitude of a sine whose RMS level is `dbfs` (full scale 1).
    static double sineAmplitudeForRms(double dbfs);

    QAudioFormat start() override;
    void stop() override;

    void setTone(Tone tone) { m_tone = tone; }
    // Emits `duration` of sound at once; only while started.
    void feed(std::chrono::milliseconds duration);
    // Frames emitted since the last start.
    qint64 framesDelivered() const { return m_frames; }
    // Makes every later start() throw RecorderError with `reason`; nothing undoes it.
    void refuseToStart(const QString& reason) { m_refusal = reason; }
    // The device goes away: capture stops and `failed` is emitted.
    void loseDevice(const QString& reason);

private:
    void emitFrames(qint64 count);
    void catchUp();

    Tone m_tone;
    Pacing m_pacing;
    QAudioFormat m_format;
    std::optional<QString> m_refusal;
    bool m_started = false;
    qint64 m_frames = 0;
    QElapsedTimer m_clock;
    QTimer m_pacer;
};
