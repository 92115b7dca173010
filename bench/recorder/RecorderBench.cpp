// The recorder's two costs. Encoding: seconds of audio per second of CPU (the real-time factor)
// through the same conversion and AAC encoder a recording uses. The window: the longest pause
// of the GUI thread's event loop while a 60-second recording runs from a real-time synthetic
// source, and how long stop() holds it to complete the file.
#include "support/SyntheticPcmSource.h"

#include "OndrelUI/recorder/AacFileEncoder.h"
#include "OndrelUI/recorder/AudioRecorder.h"
#include "OndrelUI/recorder/PcmConverter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace {

constexpr int sampleRate = 44100;

// Speech-like rather than a pure tone: a few partials that come and go, over a little noise.
QByteArray voiceLikePcm(double seconds) {
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0, 0.01f);
    const auto count = qsizetype(seconds * sampleRate);
    QByteArray pcm(count * qsizetype(sizeof(float)), Qt::Uninitialized);
    auto* samples = reinterpret_cast<float*>(pcm.data());
    for (qsizetype i = 0; i < count; ++i) {
        const double t = double(i) / sampleRate;
        const double envelope = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * 3 * t);
        double value = 0;
        for (const double partial : {180.0, 360.0, 1250.0, 2600.0})
            value += std::sin(2 * std::numbers::pi * partial * t) / 8;
        samples[i] = float(envelope * value) + noise(random);
    }
    return pcm;
}

void BM_EncodeRealTimeFactor(benchmark::State& state) {
    const double seconds = 10;
    const QByteArray pcm = voiceLikePcm(seconds);
    const qsizetype chunk = sampleRate / 10 * qsizetype(sizeof(float)); // one metering tick
    QTemporaryDir dir;
    int file = 0;
    for (auto _ : state) {
        const QString path = dir.filePath(QStringLiteral("bench-%1.m4a").arg(file++));
        PcmConverter converter(SyntheticPcmSource::monoFloat44k());
        AacFileEncoder encoder(path);
        for (qsizetype at = 0; at < pcm.size(); at += chunk)
            encoder.encode(converter.convert(
                QByteArrayView(pcm).sliced(at).first(std::min(chunk, pcm.size() - at))));
        encoder.encode(converter.flush());
        encoder.finish();
        state.PauseTiming();
        QFile::remove(path);
        state.ResumeTiming();
    }
    // A rate over CPU time: seconds of audio encoded per second of CPU.
    state.counters["realtime_x"] =
        benchmark::Counter(seconds * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EncodeRealTimeFactor)->Unit(benchmark::kMillisecond);

void BM_GuiThreadPauseDuringRecording(benchmark::State& state) {
    const auto seconds = int(state.range(0));
    for (auto _ : state) {
        auto owned = std::make_unique<SyntheticPcmSource>(SyntheticPcmSource::Tone{440, 0.5});
        SyntheticPcmSource* source = owned.get();
        AudioRecorder recorder(std::move(owned));

        // A 1 ms probe: any gap between its ticks beyond that is time the loop was held.
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 longestGap = 0;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        probe.setInterval(1);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longestGap = std::max(longestGap, now - last);
            last = now;
        });
        // The tone changes now and then, as a voice would.
        QTimer voice;
        voice.setInterval(250);
        int step = 0;
        QObject::connect(&voice, &QTimer::timeout, [&] {
            source->setTone({220.0 + 40 * (++step % 7), 0.1 + 0.1 * (step % 5)});
        });

        recorder.start();
        clock.start();
        probe.start();
        voice.start();
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        probe.stop();
        voice.stop();

        QElapsedTimer stopping;
        stopping.start();
        const std::optional<QByteArray> bytes = recorder.stop();
        const qint64 stopNs = stopping.nsecsElapsed();
        if (!bytes)
            state.SkipWithError("the recording failed");
        QFile::remove(recorder.fileURL()->toLocalFile());
        state.counters["longest_pause_ms"] = double(longestGap - 1'000'000) / 1e6;
        state.counters["stop_ms"] = double(stopNs) / 1e6;
        state.counters["file_kB"] = bytes ? double(bytes->size()) / 1024 : 0;
    }
}
BENCHMARK(BM_GuiThreadPauseDuringRecording)
    ->Arg(60)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // the recorder's timers need an event loop
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
