#pragma once

// What every recording is: AAC-LC, 44.1 kHz, mono, in an MPEG-4 audio file (".m4a").
namespace RecordingFormat {
constexpr int sampleRate = 44100;
constexpr int channelCount = 1;
// Speech in mono is transparent well below this; it matches the platform's "high" quality.
constexpr int bitRate = 96000;
} // namespace RecordingFormat
