#pragma once

#include <QByteArray>

// Real AAC for tests: a sine tone encoded with libavcodec's native "aac" encoder into an .m4a
// (mp4 container), 44.1 kHz mono like the client's recordings.
namespace AacSynth {
QByteArray sineM4a(double seconds, double frequency = 440.0);
} // namespace AacSynth
