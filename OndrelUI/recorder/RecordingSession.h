#pragma once

#include "OndrelUI/recorder/BackgroundEncoder.h"
#include "OndrelUI/recorder/LevelMeter.h"
#include "OndrelUI/recorder/PcmConverter.h"

#include <QAudioFormat>
#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <optional>

// The data path of one recording on the GUI thread: captured PCM is converted to the
// recording's samples, metered, and handed to the encoder's thread.
class RecordingSession : public QObject {
    Q_OBJECT

public:
    // Creates the file at `path`. Throws RecorderError when the input format cannot be read or
    // the file cannot be written.
    RecordingSession(const QAudioFormat& input, const QString& path);

    void add(QByteArrayView pcm);
    // The level of what was added since the last call; nothing when nothing came.
    std::optional<double> takeLevel() { return m_meter.take(); }
    // Encodes the rest and completes the file; true when it is playable. Call it once.
    bool finish();
    // After finish(): whether every sample added reached the file.
    bool encodedAll() const { return m_encoder.encodedAll(); }

Q_SIGNALS:
    // The encoder failed; what follows is dropped.
    void failed(const QString& reason);

private:
    void pass(std::vector<float> samples);

    PcmConverter m_converter;
    LevelMeter m_meter;
    BackgroundEncoder m_encoder;
};
