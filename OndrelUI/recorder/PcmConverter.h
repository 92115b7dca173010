#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QByteArrayView>

#include <memory>
#include <vector>

struct SwrContext;

// Turns captured PCM in whatever layout the device offers into the recording's samples: mono,
// 44.1 kHz, float in [-1, 1]. libswresample converts the sample format, mixes the channels down
// and resamples when the rate differs.
class PcmConverter {
public:
    // Throws RecorderError for a layout it cannot read.
    explicit PcmConverter(const QAudioFormat& input);
    ~PcmConverter();
    PcmConverter(const PcmConverter&) = delete;
    PcmConverter& operator=(const PcmConverter&) = delete;

    // Any number of bytes; a trailing partial frame waits for the next call.
    std::vector<float> convert(QByteArrayView pcm);
    // What the resampler still holds, at the end of a recording.
    std::vector<float> flush();

private:
    std::vector<float> run(const quint8* frames, int frameCount);

    struct SwrDeleter {
        void operator()(SwrContext* context) const;
    };
    std::unique_ptr<SwrContext, SwrDeleter> m_swr;
    int m_bytesPerFrame;
    QByteArray m_partialFrame;
};
