#pragma once

#include <QByteArrayView>

#include <optional>

// Looks inside an uploaded recording with libavformat, straight from memory: is it a container
// with an AAC audio stream, and how long is it. Only the AAC and MP4/M4A demuxers may read it,
// nothing it names is opened, and probing is bounded in bytes and time.
class AudioProbe {
public:
    struct Audio {
        std::optional<qint64> durationMs; // no value when the container does not say
    };

    // No value when the bytes are not a readable container holding AAC audio.
    static std::optional<Audio> aac(QByteArrayView bytes);
};
