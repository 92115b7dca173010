#include "OndrelUI/recorder/PcmConverter.h"

#include "OndrelUI/recorder/RecorderError.h"
#include "OndrelUI/recorder/RecordingFormat.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <optional>
#include <vector>

namespace {

// Devices report more channels than this only by mistake.
constexpr int maxChannels = 32;

std::optional<AVSampleFormat> sampleFormatOf(QAudioFormat::SampleFormat format) {
    switch (format) {
    case QAudioFormat::UInt8:
        return AV_SAMPLE_FMT_U8;
    case QAudioFormat::Int16:
        return AV_SAMPLE_FMT_S16;
    case QAudioFormat::Int32:
        return AV_SAMPLE_FMT_S32;
    case QAudioFormat::Float:
        return AV_SAMPLE_FMT_FLT;
    default:
        return std::nullopt;
    }
}

SwrContext* makeResampler(const QAudioFormat& input) {
    const auto sampleFormat = sampleFormatOf(input.sampleFormat());
    if (!sampleFormat || input.channelCount() < 1 || input.channelCount() > maxChannels ||
        input.sampleRate() <= 0)
        throw RecorderError(QStringLiteral("Unsupported audio input format"));
    AVChannelLayout inputLayout;
    AVChannelLayout outputLayout;
    av_channel_layout_default(&inputLayout, input.channelCount());
    av_channel_layout_default(&outputLayout, RecordingFormat::channelCount);
    SwrContext* swr = nullptr;
    const int status =
        swr_alloc_set_opts2(&swr, &outputLayout, AV_SAMPLE_FMT_FLT, RecordingFormat::sampleRate,
                            &inputLayout, *sampleFormat, input.sampleRate(), 0, nullptr);
    av_channel_layout_uninit(&inputLayout);
    av_channel_layout_uninit(&outputLayout);
    // Channels are averaged: a device that repeats one microphone on two channels is not louder.
    const std::vector<double> mix(std::size_t(input.channelCount()), 1.0 / input.channelCount());
    if (status < 0 || swr_set_matrix(swr, mix.data(), 1) < 0 || swr_init(swr) < 0) {
        swr_free(&swr);
        throw RecorderError(QStringLiteral("Cannot convert the audio input format"));
    }
    return swr;
}

} // namespace

void PcmConverter::SwrDeleter::operator()(SwrContext* context) const {
    swr_free(&context);
}

PcmConverter::PcmConverter(const QAudioFormat& input)
    : m_swr(makeResampler(input)), m_bytesPerFrame(input.bytesPerFrame()) {}

PcmConverter::~PcmConverter() = default;

std::vector<float> PcmConverter::convert(QByteArrayView pcm) {
    QByteArray joined; // only when a frame straddled the previous call
    if (!m_partialFrame.isEmpty()) {
        joined = m_partialFrame + pcm.toByteArray();
        pcm = joined;
    }
    const int frameCount = int(pcm.size() / m_bytesPerFrame);
    m_partialFrame = pcm.sliced(qsizetype(frameCount) * m_bytesPerFrame).toByteArray();
    if (frameCount == 0)
        return {};
    return run(reinterpret_cast<const quint8*>(pcm.data()), frameCount);
}

std::vector<float> PcmConverter::flush() {
    return run(nullptr, 0);
}

std::vector<float> PcmConverter::run(const quint8* frames, int frameCount) {
    const int capacity = swr_get_out_samples(m_swr.get(), frameCount);
    if (capacity <= 0)
        return {};
    std::vector<float> samples(static_cast<std::size_t>(capacity));
    auto* output = reinterpret_cast<uint8_t*>(samples.data());
    const uint8_t* input = frames;
    const int produced =
        swr_convert(m_swr.get(), &output, capacity, frameCount ? &input : nullptr, frameCount);
    samples.resize(std::size_t(std::max(produced, 0)));
    return samples;
}
