#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// A recording as a player sees it: libavformat opens the bytes, libavcodec decodes the first
// audio stream to mono float samples (the encoder's priming is dropped by the container's edit
// list). Throws std::runtime_error when the bytes are not a playable file.
struct DecodedAudio {
    QString codec;   // "aac"
    QString profile; // "LC"
    int sampleRate = 0;
    int channels = 0;
    double containerSeconds = 0; // the duration the container declares
    std::vector<float> samples;  // the first channel

    static DecodedAudio of(const QByteArray& file);
    double seconds() const { return double(samples.size()) / sampleRate; }
    // The frequency of a pure tone, from its rising zero crossings.
    double toneFrequency() const;
};
