#include "support/SyntheticPcmSource.h"

#include "OndrelUI/recorder/RecorderError.h"

#include <QByteArray>

#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr std::chrono::milliseconds pacerInterval{20};

// Float or 16-bit integer samples: the formats the tests and benchmarks use.
void write(char* out, QAudioFormat::SampleFormat format, double value) {
    if (format == QAudioFormat::Int16) {
        const auto sample = qint16(std::lround(32767 * value));
        std::memcpy(out, &sample, sizeof sample);
    } else {
        const auto sample = float(value);
        std::memcpy(out, &sample, sizeof sample);
    }
}

} // namespace

SyntheticPcmSource::SyntheticPcmSource(Tone tone, Pacing pacing, QAudioFormat format,
                                       QObject* parent)
    : PcmSource(parent), m_tone(tone), m_pacing(pacing), m_format(format) {
    m_pacer.setInterval(pacerInterval);
    connect(&m_pacer, &QTimer::timeout, this, &SyntheticPcmSource::catchUp);
}

QAudioFormat SyntheticPcmSource::monoFloat44k() {
    QAudioFormat format;
    format.setSampleRate(44100);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Float);
    return format;
}

double SyntheticPcmSource::sineAmplitudeForRms(double dbfs) {
    return std::sqrt(2.0) * std::pow(10.0, dbfs / 20);
}

QAudioFormat SyntheticPcmSource::start() {
    if (m_refusal)
        throw RecorderError(*m_refusal);
    m_started = true;
    m_frames = 0;
    m_clock.start();
    if (m_pacing == Pacing::realTime)
        m_pacer.start();
    return m_format;
}

void SyntheticPcmSource::stop() {
    if (m_started && m_pacing == Pacing::realTime)
        catchUp();
    m_pacer.stop();
    m_started = false;
}

void SyntheticPcmSource::feed(std::chrono::milliseconds duration) {
    if (m_started)
        emitFrames(duration.count() * m_format.sampleRate() / 1000);
}

void SyntheticPcmSource::loseDevice(const QString& reason) {
    m_pacer.stop();
    m_started = false;
    Q_EMIT failed(reason);
}

void SyntheticPcmSource::catchUp() {
    const qint64 due = m_clock.elapsed() * m_format.sampleRate() / 1000;
    if (due > m_frames)
        emitFrames(due - m_frames);
}

void SyntheticPcmSource::emitFrames(qint64 count) {
    const int channels = m_format.channelCount();
    const int sampleBytes = m_format.bytesPerSample();
    QByteArray pcm(count * m_format.bytesPerFrame(), Qt::Uninitialized);
    char* out = pcm.data();
    const double step = 2 * std::numbers::pi * m_tone.frequency / m_format.sampleRate();
    for (qint64 frame = 0; frame < count; ++frame) {
        const double value = m_tone.amplitude * std::sin(step * double(m_frames + frame));
        for (int channel = 0; channel < channels; ++channel, out += sampleBytes)
            write(out, m_format.sampleFormat(), value);
    }
    m_frames += count;
    Q_EMIT captured(pcm);
}
