#include "DecodedAudio.h"
#include "PrivatePulseServer.h"

#include "support/WaitUntil.h"

#include "OndrelUI/recorder/AudioRecorder.h"
#include "OndrelUI/recorder/DevicePcmSource.h"
#include "OndrelUI/recorder/RecorderError.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

// The default input is the private server's 440 Hz sine at half scale: RMS -9.03 dBFS. One
// test: Qt Multimedia connects to PulseAudio once per process.
TEST(DeviceRecording, RecordsTheDefaultInputWithQAudioSourceUntilTheDeviceGoes) {
    PrivatePulseServer server;
    if (server.failure())
        GTEST_SKIP() << "no private PulseAudio server: " << server.failure()->toStdString();
    AudioRecorder recorder;
    // The server takes a moment (about two seconds) before sound flows.
    const auto soundFlows = [&] { return waitUntil([&] { return recorder.level() > 0; }, 10s); };
    {
        SCOPED_TRACE("a recording");
        recorder.start();
        ASSERT_TRUE(soundFlows());
        QElapsedTimer flowing;
        flowing.start();
        QTest::qWait(1500);
        EXPECT_NEAR(recorder.level(), 0.819, 0.02);
        const double seconds = double(flowing.elapsed()) / 1000;
        const std::optional<QByteArray> bytes = recorder.stop();

        ASSERT_TRUE(bytes.has_value());
        const DecodedAudio audio = DecodedAudio::of(*bytes);
        EXPECT_EQ(audio.codec, "aac");
        EXPECT_EQ(audio.sampleRate, 44100);
        EXPECT_EQ(audio.channels, 1);
        // Plus what came before the level first showed (a tick) and the device's last period.
        EXPECT_NEAR(audio.seconds(), seconds + 0.1, 0.2);
        EXPECT_NEAR(audio.toneFrequency(), 440, 3);
        QFile::remove(recorder.fileURL()->toLocalFile());
    }
    {
        SCOPED_TRACE("the server goes away mid-recording");
        recorder.start();
        ASSERT_TRUE(soundFlows());
        QTest::qWait(300);
        server.stop();
        EXPECT_TRUE(waitUntil([&] { return !recorder.isRecording(); }));
        EXPECT_EQ(recorder.level(), 0);
        const std::optional<QByteArray> bytes = recorder.stop();
        ASSERT_TRUE(bytes.has_value());
        EXPECT_NEAR(DecodedAudio::of(*bytes).toneFrequency(), 440, 3);
        QFile::remove(recorder.fileURL()->toLocalFile());
    }
}

TEST(DeviceRecording, WithoutAnInputDeviceStartFails) {
    AudioRecorder recorder(std::make_unique<DevicePcmSource>(QAudioDevice()));
    EXPECT_THROW(recorder.start(), RecorderError);
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(recorder.fileURL().has_value());
}
