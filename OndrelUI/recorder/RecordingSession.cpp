#include "OndrelUI/recorder/RecordingSession.h"

RecordingSession::RecordingSession(const QAudioFormat& input, const QString& path)
    : m_converter(input), m_encoder(path) {
    connect(&m_encoder, &BackgroundEncoder::failed, this, &RecordingSession::failed);
}

void RecordingSession::add(QByteArrayView pcm) {
    pass(m_converter.convert(pcm));
}

bool RecordingSession::finish() {
    pass(m_converter.flush());
    return m_encoder.finish();
}

void RecordingSession::pass(std::vector<float> samples) {
    if (samples.empty())
        return;
    m_meter.add(samples);
    m_encoder.append(std::move(samples));
}
