#include "AacSynth.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <memory>
#include <stdexcept>

namespace {
constexpr int sampleRate = 44100;

void check(int status, const char* what) {
    if (status < 0)
        throw std::runtime_error(std::string("AacSynth: ") + what + " failed");
}

struct Encoder {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;

    ~Encoder() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        if (format && format->pb)
            avio_closep(&format->pb);
        avformat_free_context(format);
    }

    void drain() {
        while (avcodec_receive_packet(codec, packet) == 0) {
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            check(av_interleaved_write_frame(format, packet), "writing a packet");
        }
    }
};
} // namespace

QByteArray AacSynth::sineM4a(double seconds, double frequency) {
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("tone.m4a")).toLocal8Bit();
    Encoder e;
    check(avformat_alloc_output_context2(&e.format, nullptr, "mp4", path.constData()), "muxer");
    const AVCodec* aac = avcodec_find_encoder_by_name("aac");
    if (!aac)
        throw std::runtime_error("AacSynth: no aac encoder");
    e.stream = avformat_new_stream(e.format, nullptr);
    e.codec = avcodec_alloc_context3(aac);
    e.codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    e.codec->sample_rate = sampleRate;
    e.codec->bit_rate = 64000;
    av_channel_layout_default(&e.codec->ch_layout, 1);
    e.codec->time_base = AVRational{1, sampleRate};
    if (e.format->oformat->flags & AVFMT_GLOBALHEADER)
        e.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    check(avcodec_open2(e.codec, aac, nullptr), "opening the encoder");
    check(avcodec_parameters_from_context(e.stream->codecpar, e.codec), "stream parameters");
    e.stream->time_base = e.codec->time_base;
    check(avio_open(&e.format->pb, path.constData(), AVIO_FLAG_WRITE), "opening the file");
    check(avformat_write_header(e.format, nullptr), "writing the header");

    e.frame = av_frame_alloc();
    e.packet = av_packet_alloc();
    e.frame->format = e.codec->sample_fmt;
    e.frame->nb_samples = e.codec->frame_size;
    e.frame->sample_rate = sampleRate;
    check(av_channel_layout_copy(&e.frame->ch_layout, &e.codec->ch_layout), "layout");
    check(av_frame_get_buffer(e.frame, 0), "frame buffer");
    const qint64 total = qint64(seconds * sampleRate);
    for (qint64 start = 0; start < total; start += e.codec->frame_size) {
        check(av_frame_make_writable(e.frame), "frame");
        const int count = int(std::min<qint64>(e.codec->frame_size, total - start));
        e.frame->nb_samples = count;
        auto* samples = reinterpret_cast<float*>(e.frame->data[0]);
        for (int i = 0; i < count; ++i)
            samples[i] =
                float(0.3 * std::sin(2 * M_PI * frequency * double(start + i) / sampleRate));
        e.frame->pts = start;
        check(avcodec_send_frame(e.codec, e.frame), "encoding");
        e.drain();
    }
    check(avcodec_send_frame(e.codec, nullptr), "flushing");
    e.drain();
    check(av_write_trailer(e.format), "writing the trailer");
    avio_closep(&e.format->pb);

    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("AacSynth: cannot read the result");
    return file.readAll();
}
