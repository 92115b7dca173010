#include "DecodedAudio.h"

#include "support/QtPrinters.h"
#include "support/SyntheticPcmSource.h"
#include "support/WaitUntil.h"

#include "OndrelUI/recorder/AudioRecorder.h"
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
using Pacing = SyntheticPcmSource::Pacing;

namespace {

QAudioFormat format(int rate, int channels, QAudioFormat::SampleFormat sampleFormat) {
    QAudioFormat result;
    result.setSampleRate(rate);
    result.setChannelCount(channels);
    result.setSampleFormat(sampleFormat);
    return result;
}

const QAudioFormat stereoInt16At48k = format(48000, 2, QAudioFormat::Int16);

// A recorder over synthetic sound that comes only when fed; `source` stays usable. Removes the
// last recording at the end.
struct Rig {
    explicit Rig(Tone tone = {440, 0.5}, QAudioFormat pcm = SyntheticPcmSource::monoFloat44k()) {
        auto owned = std::make_unique<SyntheticPcmSource>(tone, Pacing::onDemand, pcm);
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

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The file-size limit that makes every write past `bytes` fail, as a full disk does.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int);
};

} // namespace

// The tick's average power p is the RMS level in dBFS; level = max(0, (p + 50) / 50).
TEST(AudioRecorder, LevelFollowsTheAveragePowerOfEachTick) {
    const struct {
        const char* name;
        Tone tone;
        QAudioFormat pcm;
        double level;
    } rows[] = {
        {"-10 dBFS", {1000, SyntheticPcmSource::sineAmplitudeForRms(-10)}, {}, 0.8},
        {"-25 dBFS", {1000, SyntheticPcmSource::sineAmplitudeForRms(-25)}, {}, 0.5},
        {"-10 dBFS, 16-bit stereo 48 kHz",
         {1000, SyntheticPcmSource::sineAmplitudeForRms(-10)},
         stereoInt16At48k,
         0.8},
        {"-60 dBFS", {1000, SyntheticPcmSource::sineAmplitudeForRms(-60)}, {}, 0},
        {"silence", SyntheticPcmSource::silence(), {}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Rig rig(row.tone, row.pcm.isValid() ? row.pcm : SyntheticPcmSource::monoFloat44k());
        rig.recorder->start();
        rig.source->feed(300ms);
        if (row.level > 0)
            EXPECT_TRUE(waitUntil([&] { return rig.recorder->level() != 0; }));
        else
            QTest::qWait(300); // ticks come and go; the level must stay at 0
        EXPECT_NEAR(rig.recorder->level(), row.level, 0.005);
        rig.recorder->stop();
        EXPECT_EQ(rig.recorder->level(), 0);
    }
}

TEST(AudioRecorder, StopReturnsACompleteAacFileOfWhatWasCaptured) {
    Rig rig({523.25, 0.5}, stereoInt16At48k);
    QSignalSpy recordingChanges(rig.recorder.get(), &AudioRecorder::isRecordingChanged);
    rig.recorder->start();
    EXPECT_TRUE(rig.recorder->isRecording());
    rig.source->feed(1500ms);
    const std::optional<QByteArray> bytes = rig.recorder->stop();
    EXPECT_FALSE(rig.recorder->isRecording());
    EXPECT_EQ(recordingChanges.count(), 2);

    ASSERT_TRUE(bytes.has_value());
    const QString path = rig.recorder->fileURL().value().toLocalFile();
    const QFileInfo file(path);
    EXPECT_EQ(file.absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    const auto othersMayRead = QFile::ReadGroup | QFile::ReadOther;
    EXPECT_FALSE(file.permissions() & othersMayRead); // a voice in a shared folder
    EXPECT_EQ(*bytes, contents(path));

    const DecodedAudio audio = DecodedAudio::of(*bytes);
    EXPECT_EQ(audio.codec, "aac");
    EXPECT_EQ(audio.profile, "LC");
    EXPECT_EQ(audio.sampleRate, 44100);
    EXPECT_EQ(audio.channels, 1);
    EXPECT_NEAR(audio.containerSeconds, 1.5, 0.05);
    EXPECT_NEAR(audio.seconds(), 1.5, 0.05);
    EXPECT_NEAR(audio.toneFrequency(), 523.25, 2);

    // Idle: the last file again, still there (recordings are never deleted).
    EXPECT_EQ(rig.recorder->stop(), bytes);
}

TEST(AudioRecorder, StartWhileRecordingCompletesTheFirstFileAndBeginsANewOne) {
    Rig rig;
    rig.recorder->start();
    rig.source->feed(500ms);
    const QString first = rig.recorder->fileURL()->toLocalFile();
    QSignalSpy recordingChanges(rig.recorder.get(), &AudioRecorder::isRecordingChanged);
    rig.recorder->start();
    EXPECT_TRUE(rig.recorder->isRecording());
    EXPECT_EQ(recordingChanges.count(), 2); // off, then on again
    rig.source->feed(800ms);
    const std::optional<QByteArray> second = rig.recorder->stop();
    const QString secondPath = rig.recorder->fileURL()->toLocalFile();

    EXPECT_NE(first, secondPath);
    EXPECT_NEAR(DecodedAudio::of(contents(first)).seconds(), 0.5, 0.05);
    ASSERT_TRUE(second.has_value());
    EXPECT_NEAR(DecodedAudio::of(*second).seconds(), 0.8, 0.05);
    QFile::remove(first);
}

TEST(AudioRecorder, AFailedStartChangesNothing) {
    const QByteArray savedTmp = qgetenv("TMPDIR");
    QTemporaryFile notAFolder;
    ASSERT_TRUE(notAFolder.open());
    const struct {
        const char* name;
        std::function<void(Rig&)> breakIt;
        const char* message;
    } rows[] = {
        {"the device refuses", [](Rig& rig) { rig.source->refuseToStart("no microphone"); },
         "no microphone"},
        {"no temporary folder", [](Rig&) { qputenv("TMPDIR", "/nonexistent-ondrel-folder"); },
         "temporary folder"},
        {"the file cannot be created",
         [&](Rig&) { qputenv("TMPDIR", QFile::encodeName(notAFolder.fileName())); },
         "Cannot create"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Rig rig;
        row.breakIt(rig);
        QSignalSpy recordingChanges(rig.recorder.get(), &AudioRecorder::isRecordingChanged);
        try {
            rig.recorder->start();
            ADD_FAILURE() << "start() did not throw";
        } catch (const RecorderError& error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QLatin1String(row.message)))
                << error.what();
        }
        EXPECT_FALSE(rig.recorder->startRecording());
        qputenv("TMPDIR", savedTmp);
        EXPECT_FALSE(rig.recorder->isRecording());
        EXPECT_EQ(recordingChanges.count(), 0);
        EXPECT_FALSE(rig.recorder->fileURL().has_value());
        rig.source->feed(100ms);
        EXPECT_EQ(rig.source->framesDelivered(), 0); // capture was not left running
        EXPECT_EQ(rig.recorder->stop(), std::nullopt);
    }
}

TEST(AudioRecorder, AFailureMidRecordingEndsTheRecording) {
    {
        SCOPED_TRACE("the device goes away: what came before is a complete file");
        Rig rig;
        rig.recorder->start();
        rig.source->feed(600ms);
        rig.source->loseDevice("unplugged");
        EXPECT_FALSE(rig.recorder->isRecording());
        EXPECT_EQ(rig.recorder->level(), 0);
        const std::optional<QByteArray> bytes = rig.recorder->stop();
        ASSERT_TRUE(bytes.has_value());
        EXPECT_NEAR(DecodedAudio::of(*bytes).seconds(), 0.6, 0.05);
    }
    {
        SCOPED_TRACE("the disk fills up: no file to hand back");
        Rig rig;
        rig.recorder->start();
        {
            const FileSizeLimit diskFull(8 * 1024);
            rig.source->feed(30s);
            EXPECT_TRUE(waitUntil([&] { return !rig.recorder->isRecording(); }));
        }
        EXPECT_EQ(rig.recorder->stop(), std::nullopt);
        EXPECT_EQ(rig.recorder->stopRecording(), QByteArray());
    }
}
