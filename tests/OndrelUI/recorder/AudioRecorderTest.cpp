#include "DecodedAudio.h"

#include "support/Files.h"
#include "support/QtPrinters.h"
#include "support/SyntheticPcmSource.h"
#include "support/WaitUntil.h"

#include "OndrelUI/recorder/AudioRecorder.h"
#include "OndrelUI/recorder/DevicePcmSource.h"
#include "OndrelUI/recorder/RecorderError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace std::chrono_literals;
using Tone = SyntheticPcmSource::Tone;

namespace {

QAudioFormat stereoInt16At48k() {
    QAudioFormat result;
    result.setSampleRate(48000);
    result.setChannelCount(2);
    result.setSampleFormat(QAudioFormat::Int16);
    return result;
}

// A recorder over synthetic sound that comes only when fed; `source` stays usable. Removes the
// last recording at the end.
struct Rig {
    explicit Rig(Tone tone = {440, 0.5}, QAudioFormat pcm = SyntheticPcmSource::monoFloat44k()) {
        auto owned =
            std::make_unique<SyntheticPcmSource>(tone, SyntheticPcmSource::Pacing::onDemand, pcm);
        source = owned.get();
        recorder = std::make_unique<AudioRecorder>(std::move(owned));
    }
    ~Rig() {
        recorder->stop();
        if (const auto file = recorder->fileURL())
            QFile::remove(file->toLocalFile());
    }
    SyntheticPcmSource* source;
    std::unique_ptr<AudioRecorder> recorder;
};

} // namespace

// The tick's average power p is the RMS level in dBFS; level = max(0, (p + 50) / 50).
TEST(AudioRecorder, LevelFollowsTheAveragePowerOfEachTick) {
    const struct {
        double dbfs;
        QAudioFormat pcm;
        double level;
    } rows[] = {
        {-10, SyntheticPcmSource::monoFloat44k(), 0.8},
        {-25, SyntheticPcmSource::monoFloat44k(), 0.5},
        {-10, stereoInt16At48k(), 0.8},
        {-60, SyntheticPcmSource::monoFloat44k(), 0},
    };
    for (const auto& row : rows) {
        Rig rig({1000, SyntheticPcmSource::sineAmplitudeForRms(row.dbfs)}, row.pcm);
        rig.recorder->start();
        rig.source->feed(300ms);
        if (row.level > 0)
            EXPECT_TRUE(waitUntil([&] { return rig.recorder->level() != 0; }));
        else
            QTest::qWait(300); // ticks come and go; the level must stay at 0
        EXPECT_NEAR(rig.recorder->level(), row.level, 0.005) << row.dbfs;
        rig.recorder->stop();
        EXPECT_EQ(rig.recorder->level(), 0);
    }
}

// Starting again completes the first file and begins a new one; stopping hands back the file,
// AAC-LC mono at 44.1 kHz whatever the device gives, private to the user (it is their voice,
// in a shared folder).
TEST(AudioRecorder, EachRecordingIsACompleteAacFileOfWhatWasCaptured) {
    Rig rig({523.25, 0.5}, stereoInt16At48k());
    QSignalSpy recordingChanges(rig.recorder.get(), &AudioRecorder::isRecordingChanged);
    rig.recorder->start();
    rig.source->feed(1500ms);
    const QString first = rig.recorder->fileURL()->toLocalFile();
    rig.recorder->start();
    EXPECT_TRUE(rig.recorder->isRecording());
    rig.source->feed(800ms);
    const std::optional<QByteArray> bytes = rig.recorder->stop();
    EXPECT_FALSE(rig.recorder->isRecording());
    EXPECT_EQ(recordingChanges.count(), 4);

    const DecodedAudio audio = DecodedAudio::of(first);
    EXPECT_EQ(audio.codec, "aac");
    EXPECT_EQ(audio.profile, "LC");
    EXPECT_EQ(audio.sampleRate, 44100);
    EXPECT_EQ(audio.channels, 1);
    EXPECT_NEAR(audio.containerSeconds, 1.5, 0.05);
    EXPECT_NEAR(audio.seconds(), 1.5, 0.05);
    EXPECT_NEAR(audio.toneFrequency(), 523.25, 2);
    QFile::remove(first);

    const QFileInfo file(rig.recorder->fileURL()->toLocalFile());
    EXPECT_NEAR(DecodedAudio::of(file.filePath()).seconds(), 0.8, 0.05);
    EXPECT_EQ(file.absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    EXPECT_FALSE(file.permissions() & (QFile::ReadGroup | QFile::ReadOther));
    EXPECT_EQ(bytes, readFile(file.filePath()));
    EXPECT_EQ(rig.recorder->stop(), bytes); // idle: the last file again (never deleted)
}

TEST(AudioRecorder, AFailedStartChangesNothing) {
    const QByteArray savedTmp = qgetenv("TMPDIR");
    QTemporaryFile notAFolder;
    ASSERT_TRUE(notAFolder.open());
    const std::pair<std::function<void(Rig&)>, const char*> rows[] = {
        {[](Rig& rig) { rig.source->refuseToStart("no microphone"); }, "no microphone"},
        {[](Rig&) { qputenv("TMPDIR", "/nonexistent-ondrel-folder"); }, "temporary folder"},
        {[&](Rig&) { qputenv("TMPDIR", QFile::encodeName(notAFolder.fileName())); },
         "Cannot create"},
    };
    for (const auto& [breakIt, message] : rows) {
        Rig rig;
        breakIt(rig);
        QSignalSpy recordingChanges(rig.recorder.get(), &AudioRecorder::isRecordingChanged);
        try {
            rig.recorder->start();
            ADD_FAILURE() << "start() did not throw";
        } catch (const RecorderError& error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QLatin1String(message)))
                << error.what();
        }
        EXPECT_FALSE(rig.recorder->startRecording());
        qputenv("TMPDIR", savedTmp);
        EXPECT_EQ(recordingChanges.count(), 0);
        EXPECT_FALSE(rig.recorder->fileURL().has_value());
        rig.source->feed(100ms);
        EXPECT_EQ(rig.source->framesDelivered(), 0); // capture was not left running
    }
    AudioRecorder noDevice(std::make_unique<DevicePcmSource>(QAudioDevice()));
    EXPECT_THROW(noDevice.start(), RecorderError);
    EXPECT_FALSE(noDevice.isRecording());
}

// A lost device ends the recording with what came before as a complete file; a full disk ends
// it with no file to hand back, whether the failure arrives first or only as it is stopped.
// Each says so once; a stop that cuts nothing short says nothing.
TEST(AudioRecorder, AFailureMidRecordingEndsTheRecordingAndSaysWhy) {
    using Cause = AudioRecorder::Interruption;
    Rig unplugged;
    QSignalSpy lost(unplugged.recorder.get(), &AudioRecorder::interrupted);
    unplugged.recorder->start();
    unplugged.source->feed(600ms);
    unplugged.source->loseDevice("unplugged");
    EXPECT_FALSE(unplugged.recorder->isRecording());
    EXPECT_EQ(unplugged.recorder->level(), 0);
    EXPECT_EQ(lost.count(), 1);
    EXPECT_EQ(unplugged.recorder->interruption(), Cause::deviceLost);
    ASSERT_TRUE(unplugged.recorder->stop().has_value());
    EXPECT_NEAR(DecodedAudio::of(unplugged.recorder->fileURL()->toLocalFile()).seconds(), 0.6,
                0.05);
    unplugged.recorder->start();
    EXPECT_TRUE(unplugged.recorder->stop().has_value());
    EXPECT_EQ(unplugged.recorder->interruption(), std::nullopt);
    EXPECT_EQ(lost.count(), 1);

    Rig full, stopped;
    QSignalSpy failed(full.recorder.get(), &AudioRecorder::interrupted);
    QSignalSpy failedAtStop(stopped.recorder.get(), &AudioRecorder::interrupted);
    full.recorder->start();
    stopped.recorder->start();
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved;
    limit.rlim_cur = 8 * 1024; // every write past it fails, as on a full disk
    setrlimit(RLIMIT_FSIZE, &limit);
    stopped.source->feed(30s);
    EXPECT_EQ(stopped.recorder->stop(), std::nullopt); // before the failure is reported
    full.source->feed(30s);                            // far past the limit
    EXPECT_TRUE(waitUntil([&] { return !full.recorder->isRecording(); }, 20s)); // a loaded machine
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);
    EXPECT_EQ(full.recorder->stop(), std::nullopt);
    EXPECT_EQ(full.recorder->stopRecording(), QByteArray());
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(failedAtStop.count(), 1); // none late
    EXPECT_EQ(full.recorder->interruption(), Cause::encoderFailed);
    EXPECT_EQ(stopped.recorder->interruption(), Cause::encoderFailed);
}
