// The recorder's two costs. Encoding: seconds of audio per second of CPU (the real-time factor)
// through the same conversion and AAC encoder a recording uses. The window: while a 60-second
// recording runs from a real-time synthetic source, the longest pause of the GUI thread's event
// loop and the longest stretch of its own CPU work between two turns (both against the same loop
// idle), the longest the recorder spends on one delivery of sound, and how long stop() holds the
// thread to complete the file.
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

#include <time.h>

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

// Any gap between the ticks of a 1 ms timer beyond that millisecond is time the GUI thread's
// event loop was held: by our work or by the operating system. The thread's own CPU time
// within a gap tells the two apart: the longest busy stretch is the work.
class LoopProbe {
public:
    LoopProbe() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            const qint64 cpu = threadCpuNs();
            m_longestGap = std::max(m_longestGap, now - m_last);
            m_longestBusy = std::max(m_longestBusy, cpu - m_lastCpu);
            m_last = now;
            m_lastCpu = cpu;
        });
        m_clock.start();
        m_lastCpu = threadCpuNs();
        m_timer.start();
    }
    double longestPauseMs() const { return double(m_longestGap - 1'000'000) / 1e6; }
    double longestBusyMs() const { return double(m_longestBusy) / 1e6; }

private:
    static qint64 threadCpuNs() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    }

    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_lastCpu = 0;
    qint64 m_longestGap = 0;
    qint64 m_longestBusy = 0;
    QTimer m_timer;
};

void runEventLoop(int seconds) {
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
}

// The baseline: the same probe over an idle loop shows what the machine itself adds.
void BM_GuiThreadPauseIdle(benchmark::State& state) {
    for (auto _ : state) {
        const LoopProbe probe;
        runEventLoop(int(state.range(0)));
        state.counters["longest_pause_ms"] = probe.longestPauseMs();
        state.counters["longest_busy_ms"] = probe.longestBusyMs();
    }
}
BENCHMARK(BM_GuiThreadPauseIdle)->Arg(60)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_GuiThreadPauseDuringRecording(benchmark::State& state) {
    for (auto _ : state) {
        auto owned = std::make_unique<SyntheticPcmSource>(SyntheticPcmSource::Tone{440, 0.5});
        SyntheticPcmSource* source = owned.get();
        // The recorder's own share of each delivery: slots run in the order they were connected.
        QElapsedTimer clock;
        clock.start();
        qint64 deliveredAt = 0;
        qint64 longestHandling = 0;
        QObject::connect(source, &PcmSource::captured, [&] { deliveredAt = clock.nsecsElapsed(); });
        AudioRecorder recorder(std::move(owned));
        QObject::connect(source, &PcmSource::captured, [&] {
            longestHandling = std::max(longestHandling, clock.nsecsElapsed() - deliveredAt);
        });
        // The tone changes now and then, as a voice would.
        QTimer voice;
        voice.setInterval(250);
        int step = 0;
        QObject::connect(&voice, &QTimer::timeout, [&] {
            ++step;
            source->setTone({220.0 + 40 * (step % 7), 0.1 + 0.1 * (step % 5)});
        });
        voice.start();

        recorder.start();
        const LoopProbe probe;
        runEventLoop(int(state.range(0)));
        const double longestPause = probe.longestPauseMs();
        const double longestBusy = probe.longestBusyMs();

        QElapsedTimer stopping;
        stopping.start();
        const std::optional<QByteArray> bytes = recorder.stop();
        const qint64 stopNs = stopping.nsecsElapsed();
        if (!bytes)
            state.SkipWithError("the recording failed");
        QFile::remove(recorder.fileURL()->toLocalFile());
        state.counters["longest_pause_ms"] = longestPause;
        state.counters["longest_busy_ms"] = longestBusy;
        state.counters["longest_handling_ms"] = double(longestHandling) / 1e6;
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
