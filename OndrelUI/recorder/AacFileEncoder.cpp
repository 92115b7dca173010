#include "OndrelUI/recorder/AacFileEncoder.h"

#include "OndrelUI/recorder/RecorderError.h"
#include "OndrelUI/recorder/RecordingFormat.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
}

#include <QFile>

#include <algorithm>
#include <cstring>

namespace {

QString ffmpegError(int status) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(status, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

void check(int status, const char* what) {
    if (status < 0)
        throw RecorderError(
            QStringLiteral("Cannot %1: %2").arg(QLatin1String(what), ffmpegError(status)));
}

} // namespace

void AacFileEncoder::Deleter::operator()(AVFormatContext* format) const {
    if (format->pb)
        avio_closep(&format->pb);
    avformat_free_context(format);
}
void AacFileEncoder::Deleter::operator()(AVCodecContext* codec) const {
    avcodec_free_context(&codec);
}
void AacFileEncoder::Deleter::operator()(AVFrame* frame) const {
    av_frame_free(&frame);
}
void AacFileEncoder::Deleter::operator()(AVPacket* packet) const {
    av_packet_free(&packet);
}

AacFileEncoder::AacFileEncoder(const QString& path) {
    // Voice stays private in a shared temporary folder, and a name that already exists is
    // someone else's file.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw RecorderError(QStringLiteral("Cannot create %1: %2").arg(path, file.errorString()));
    file.close();
    try {
        open(path);
    } catch (...) {
        m_format.reset();
        QFile::remove(path);
        throw;
    }
}

AacFileEncoder::~AacFileEncoder() = default;

void AacFileEncoder::open(const QString& path) {
    const AVCodec* aac = avcodec_find_encoder_by_name("aac");
    if (!aac)
        throw RecorderError(QStringLiteral("FFmpeg has no AAC encoder"));
    const QByteArray url = "file:" + QFile::encodeName(path);
    AVFormatContext* format = nullptr;
    // "ipod" is libavformat's muxer for .m4a: MPEG-4 with the M4A brand.
    check(avformat_alloc_output_context2(&format, nullptr, "ipod", url.constData()),
          "set up the MPEG-4 container");
    m_format.reset(format);
    m_codec.reset(avcodec_alloc_context3(aac));
    if (!m_codec)
        throw RecorderError(QStringLiteral("Cannot set up the AAC encoder"));
    m_codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    m_codec->sample_rate = RecordingFormat::sampleRate;
    m_codec->bit_rate = RecordingFormat::bitRate;
    m_codec->profile = FF_PROFILE_AAC_LOW;
    m_codec->time_base = AVRational{1, RecordingFormat::sampleRate};
    // Its failures reach us as errors; its statistics and warnings are not for the terminal.
    m_codec->log_level_offset = AV_LOG_VERBOSE - AV_LOG_WARNING;
    av_channel_layout_default(&m_codec->ch_layout, RecordingFormat::channelCount);
    if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
        m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    check(avcodec_open2(m_codec.get(), aac, nullptr), "open the AAC encoder");

    AVStream* stream = avformat_new_stream(m_format.get(), nullptr);
    if (!stream)
        throw RecorderError(QStringLiteral("Cannot add the audio stream"));
    check(avcodec_parameters_from_context(stream->codecpar, m_codec.get()), "describe the stream");
    stream->time_base = m_codec->time_base;
    check(avio_open(&m_format->pb, url.constData(), AVIO_FLAG_WRITE), "open the recording file");
    check(avformat_write_header(m_format.get(), nullptr), "write the recording header");

    m_frame.reset(av_frame_alloc());
    m_packet.reset(av_packet_alloc());
    if (!m_frame || !m_packet)
        throw RecorderError(QStringLiteral("Out of memory for the AAC encoder"));
    m_frame->format = m_codec->sample_fmt;
    m_frame->sample_rate = m_codec->sample_rate;
    m_frame->nb_samples = m_codec->frame_size;
    check(av_channel_layout_copy(&m_frame->ch_layout, &m_codec->ch_layout), "set up a frame");
    check(av_frame_get_buffer(m_frame.get(), 0), "set up a frame");
    m_pending.reserve(std::size_t(m_codec->frame_size));
}

void AacFileEncoder::encode(std::span<const float> samples) {
    const auto frameSize = std::size_t(m_codec->frame_size);
    if (!m_pending.empty()) {
        const std::size_t taken = std::min(frameSize - m_pending.size(), samples.size());
        m_pending.insert(m_pending.end(), samples.begin(), samples.begin() + taken);
        samples = samples.subspan(taken);
        if (m_pending.size() < frameSize)
            return;
        sendFrame(m_pending);
        m_pending.clear();
    }
    for (; samples.size() >= frameSize; samples = samples.subspan(frameSize))
        sendFrame(samples.first(frameSize));
    m_pending.assign(samples.begin(), samples.end());
}

void AacFileEncoder::finish() {
    if (!m_pending.empty())
        sendFrame(m_pending); // the last frame may be short
    m_pending.clear();
    check(avcodec_send_frame(m_codec.get(), nullptr), "finish encoding");
    writePackets();
    check(av_write_trailer(m_format.get()), "complete the recording file");
    check(avio_closep(&m_format->pb), "close the recording file");
}

void AacFileEncoder::sendFrame(std::span<const float> samples) {
    check(av_frame_make_writable(m_frame.get()), "encode audio");
    m_frame->nb_samples = int(samples.size());
    std::memcpy(m_frame->data[0], samples.data(), samples.size_bytes());
    m_frame->pts = m_nextPts;
    m_nextPts += qint64(samples.size());
    check(avcodec_send_frame(m_codec.get(), m_frame.get()), "encode audio");
    writePackets();
}

void AacFileEncoder::writePackets() {
    AVStream* stream = m_format->streams[0];
    for (;;) {
        const int status = avcodec_receive_packet(m_codec.get(), m_packet.get());
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF)
            return;
        check(status, "encode audio");
        av_packet_rescale_ts(m_packet.get(), m_codec->time_base, stream->time_base);
        m_packet->stream_index = stream->index;
        check(av_interleaved_write_frame(m_format.get(), m_packet.get()),
              "write the recording file");
    }
}
