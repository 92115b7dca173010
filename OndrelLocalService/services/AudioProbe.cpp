#include "OndrelLocalService/services/AudioProbe.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/dict.h>
#include <libavutil/mem.h>
}

#include <chrono>
#include <cstring>
#include <memory>

namespace {

constexpr int ioBufferSize = 64 * 1024;
// The demuxers allowed to look at an upload: ADTS AAC and the MP4 family (.m4a). Anything
// else, a playlist that would fetch its entries above all, is refused before it is read.
constexpr auto allowedFormats = "aac,mov,mp4,m4a";
constexpr int64_t probeBytes = 1024 * 1024;
constexpr int maxStreams = 16;
constexpr auto probeTime = std::chrono::seconds(5);

// Nothing an upload names is ever opened: no network, no files.
int refuseToOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
    return AVERROR(EPERM);
}

int pastDeadline(void* deadline) {
    return std::chrono::steady_clock::now() >
           *static_cast<std::chrono::steady_clock::time_point*>(deadline);
}

// The read position over the caller's bytes, for the custom I/O callbacks.
struct MemoryReader {
    QByteArrayView bytes;
    qint64 position = 0;

    static int read(void* opaque, uint8_t* buffer, int size) {
        auto* self = static_cast<MemoryReader*>(opaque);
        const qint64 left = self->bytes.size() - self->position;
        if (left <= 0)
            return AVERROR_EOF;
        const int count = int(std::min<qint64>(left, size));
        std::memcpy(buffer, self->bytes.data() + self->position, std::size_t(count));
        self->position += count;
        return count;
    }

    static int64_t seek(void* opaque, int64_t offset, int whence) {
        auto* self = static_cast<MemoryReader*>(opaque);
        if (whence == AVSEEK_SIZE)
            return self->bytes.size();
        const int64_t base = (whence & ~AVSEEK_FORCE) == SEEK_CUR   ? self->position
                             : (whence & ~AVSEEK_FORCE) == SEEK_END ? self->bytes.size()
                                                                    : 0;
        const int64_t target = base + offset;
        if (target < 0 || target > self->bytes.size())
            return AVERROR(EINVAL);
        self->position = target;
        return target;
    }
};

struct IOContextDeleter {
    void operator()(AVIOContext* context) const {
        av_freep(&context->buffer);
        avio_context_free(&context);
    }
};

struct FormatDeleter {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

std::optional<qint64> durationOf(const AVFormatContext* format, const AVStream* stream) {
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        return av_rescale_q(stream->duration, stream->time_base, AVRational{1, 1000});
    if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        return av_rescale(format->duration, 1000, AV_TIME_BASE);
    return std::nullopt;
}

} // namespace

std::optional<AudioProbe::Audio> AudioProbe::aac(QByteArrayView bytes) {
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET); // hostile uploads are expected; the answer says enough
        return true;
    }();
    (void)quiet;
    if (bytes.isEmpty())
        return std::nullopt;
    MemoryReader reader{bytes};
    auto* buffer = static_cast<unsigned char*>(av_malloc(ioBufferSize));
    if (!buffer)
        return std::nullopt;
    std::unique_ptr<AVIOContext, IOContextDeleter> io(avio_alloc_context(
        buffer, ioBufferSize, 0, &reader, &MemoryReader::read, nullptr, &MemoryReader::seek));
    if (!io) {
        av_free(buffer);
        return std::nullopt;
    }
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw)
        return std::nullopt;
    auto deadline = std::chrono::steady_clock::now() + probeTime;
    raw->pb = io.get();
    raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    raw->io_open = &refuseToOpen;
    raw->interrupt_callback = AVIOInterruptCB{&pastDeadline, &deadline};
    raw->format_probesize = int(probeBytes);
    raw->probesize = probeBytes;
    raw->max_analyze_duration = 5 * int64_t(AV_TIME_BASE);
    raw->max_streams = maxStreams;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "format_whitelist", allowedFormats, 0);
    av_dict_set(&options, "protocol_whitelist", "none", 0);
    const int opened = avformat_open_input(&raw, nullptr, nullptr, &options);
    av_dict_free(&options);
    if (opened < 0)
        return std::nullopt; // frees `raw` itself on failure
    std::unique_ptr<AVFormatContext, FormatDeleter> format(raw);
    if (avformat_find_stream_info(format.get(), nullptr) < 0)
        return std::nullopt;
    const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0)
        return std::nullopt;
    const AVStream* stream = format->streams[index];
    if (stream->codecpar->codec_id != AV_CODEC_ID_AAC)
        return std::nullopt;
    return Audio{durationOf(format.get(), stream)};
}
