#pragma once

#include <QString>

#include <memory>
#include <span>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

// Encodes the recording's samples (mono, 44.1 kHz, float) to AAC-LC with libavcodec's native
// encoder into an MPEG-4 audio file. Used by one thread at a time.
class AacFileEncoder {
public:
    // Creates the file, readable by its owner only and never over an existing one, and writes
    // the container header. Throws RecorderError; a file it created is then removed.
    explicit AacFileEncoder(const QString& path);
    // Without finish() the file is left incomplete.
    ~AacFileEncoder();
    AacFileEncoder(const AacFileEncoder&) = delete;
    AacFileEncoder& operator=(const AacFileEncoder&) = delete;

    // Throws RecorderError (a write failed, the disk is full).
    void encode(std::span<const float> samples);
    // Encodes what is still buffered and writes the index; the file is complete when it returns.
    // Throws RecorderError.
    void finish();

private:
    void open(const QString& path);
    void sendFrame(std::span<const float> samples);
    void writePackets();

    struct Deleter {
        void operator()(AVFormatContext* format) const;
        void operator()(AVCodecContext* codec) const;
        void operator()(AVFrame* frame) const;
        void operator()(AVPacket* packet) const;
    };
    std::unique_ptr<AVFormatContext, Deleter> m_format;
    std::unique_ptr<AVCodecContext, Deleter> m_codec;
    std::unique_ptr<AVFrame, Deleter> m_frame;
    std::unique_ptr<AVPacket, Deleter> m_packet;
    std::vector<float> m_pending; // less than one codec frame
    qint64 m_nextPts = 0;
};
