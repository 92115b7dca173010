#pragma once

#include "OndrelUI/recorder/AacFileEncoder.h"
#include "support/Files.h"

#include <QTemporaryDir>

#include <cmath>
#include <numbers>
#include <vector>

// Real AAC for tests: a sine tone in an .m4a, made by the client's own encoder.
inline QByteArray sineM4a(double seconds, double frequency = 440) {
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tone.m4a"));
    std::vector<float> samples(std::size_t(seconds * 44100));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = float(0.3 * std::sin(2 * std::numbers::pi * frequency * double(i) / 44100));
    {
        AacFileEncoder encoder(path);
        encoder.encode(samples);
        encoder.finish();
    }
    return readFile(path);
}
