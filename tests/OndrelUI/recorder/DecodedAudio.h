#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <QFile>
#include <QString>

#include <stdexcept>
#include <string>
#include <vector>

// A recording as a player sees it: libavformat opens the file, libavcodec decodes the first
// audio stream to float samples (the encoder's priming is dropped by the container's edit
// list). Throws std::runtime_error when it is not a playable file.
struct DecodedAudio {
    QString codec;   // "aac"
    QString profile; // "LC"
    int sampleRate = 0;
    int channels = 0;
    double containerSeconds = 0; // the duration the container declares
    std::vector<float> samples;  // the first channel

    static DecodedAudio of(const QString& file) {
        Decoder d;
        const QByteArray path = QFile::encodeName(file);
        check(avformat_open_input(&d.format, path.constData(), nullptr, nullptr), "opening");
        check(avformat_find_stream_info(d.format, nullptr), "reading the stream info");
        const AVCodec* codec = nullptr;
        const int index = av_find_best_stream(d.format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        check(index, "finding the audio stream");
        const AVCodecParameters* parameters = d.format->streams[index]->codecpar;
        d.codec = avcodec_alloc_context3(codec);
        check(avcodec_parameters_to_context(d.codec, parameters), "reading the parameters");
        check(avcodec_open2(d.codec, codec, nullptr), "opening the decoder");

        DecodedAudio audio;
        audio.codec = QString::fromLatin1(avcodec_get_name(parameters->codec_id));
        audio.profile =
            QString::fromLatin1(avcodec_profile_name(parameters->codec_id, parameters->profile));
        audio.sampleRate = parameters->sample_rate;
        audio.channels = parameters->ch_layout.nb_channels;
        audio.containerSeconds = double(d.format->duration) / AV_TIME_BASE;
        while (av_read_frame(d.format, d.packet) >= 0) {
            if (d.packet->stream_index == index)
                check(avcodec_send_packet(d.codec, d.packet), "decoding");
            av_packet_unref(d.packet);
            d.receiveInto(audio.samples);
        }
        check(avcodec_send_packet(d.codec, nullptr), "flushing the decoder");
        d.receiveInto(audio.samples);
        return audio;
    }

    double seconds() const { return double(samples.size()) / sampleRate; }

    // The frequency of a pure tone, from its rising zero crossings. The edges are left out: the
    // codec's ramp-in and ramp-out are not the tone.
    double toneFrequency() const {
        const std::size_t margin = 2048;
        if (samples.size() <= 2 * margin)
            return 0;
        int crossings = 0;
        for (std::size_t i = margin; i + 1 < samples.size() - margin; ++i)
            crossings += samples[i] < 0 && samples[i + 1] >= 0;
        return crossings * double(sampleRate) / double(samples.size() - 2 * margin);
    }

private:
    static void check(int status, const char* what) {
        if (status < 0)
            throw std::runtime_error(std::string("DecodedAudio: ") + what + " failed");
    }

    struct Decoder {
        AVFormatContext* format = nullptr;
        AVCodecContext* codec = nullptr;
        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();

        ~Decoder() {
            av_frame_free(&frame);
            av_packet_free(&packet);
            avcodec_free_context(&codec);
            avformat_close_input(&format);
        }

        void receiveInto(std::vector<float>& samples) {
            while (avcodec_receive_frame(codec, frame) == 0) {
                if (frame->format != AV_SAMPLE_FMT_FLTP)
                    throw std::runtime_error("DecodedAudio: unexpected sample format");
                const auto* first = reinterpret_cast<const float*>(frame->extended_data[0]);
                samples.insert(samples.end(), first, first + frame->nb_samples);
            }
        }
    };
};
