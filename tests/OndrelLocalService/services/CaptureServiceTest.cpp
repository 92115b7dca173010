#include "AacSynth.h"
#include "support/QtPrinters.h"

#include "OndrelLocalService/services/AudioProbe.h"
#include "OndrelLocalService/services/CaptureService.h"
#include "OndrelLocalService/services/ServiceError.h"
#include "OndrelLocalService/state/DemoSeed.h"

#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

const QString user = QStringLiteral("u");

// A valid WAV file of silence: real audio, but not AAC.
QByteArray pcmWave() {
    const quint32 samples = 8000;
    QByteArray wav("RIFF????WAVEfmt ");
    const auto le32 = [&](quint32 v) { wav.append(reinterpret_cast<const char*>(&v), 4); };
    const auto le16 = [&](quint16 v) { wav.append(reinterpret_cast<const char*>(&v), 2); };
    le32(16), le16(1), le16(1), le32(8000), le32(16000), le16(2), le16(16);
    wav.append("data");
    le32(samples * 2);
    wav.append(QByteArray(int(samples * 2), '\0'));
    qToLittleEndian<quint32>(quint32(wav.size() - 8), wav.data() + 4);
    return wav;
}

TEST(AudioProbe, ReadsTheDurationOfRealAac) {
    const QByteArray m4a = AacSynth::sineM4a(2.0);
    const std::optional<AudioProbe::Audio> audio = AudioProbe::aac(m4a);
    ASSERT_TRUE(audio.has_value());
    ASSERT_TRUE(audio->durationMs.has_value());
    EXPECT_NEAR(double(*audio->durationMs), 2000.0, 60.0);
}

TEST(AudioProbe, RefusesWhatIsNotAacAudio) {
    const QByteArray m4a = AacSynth::sineM4a(1.0);
    const QList<std::pair<const char*, QByteArray>> samples{
        {"empty", {}},
        {"text", "hello world, definitely not audio"},
        {"zeros", QByteArray(4096, '\0')},
        {"PCM wave", pcmWave()},
        {"truncated m4a", m4a.left(64)},
    };
    for (const auto& [name, bytes] : samples)
        EXPECT_FALSE(AudioProbe::aac(bytes).has_value()) << name;
}

// A playlist names what to fetch; the probe must not fetch it, from the network or from a file.
TEST(AudioProbe, OpensNothingAnUploadNames) {
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    QTemporaryDir dir;
    const QString local = dir.filePath(QStringLiteral("real.m4a"));
    QFile file(local);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(AacSynth::sineM4a(1.0));
    file.close();
    for (const QString& entry :
         {QStringLiteral("http://127.0.0.1:%1/segment.aac").arg(listener.serverPort()),
          QUrl::fromLocalFile(local).toString()}) {
        const QByteArray playlist = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:10\n"
                                    "#EXT-X-MEDIA-SEQUENCE:0\n#EXTINF:10.0,\n" +
                                    entry.toUtf8() + "\n#EXT-X-ENDLIST\n";
        EXPECT_FALSE(AudioProbe::aac(playlist).has_value()) << entry.toStdString();
    }
    EXPECT_FALSE(listener.waitForNewConnection(0)); // nobody knocked
}

TEST(CaptureService, NoteTitlesShowMinutesAndSeconds) {
    EXPECT_EQ(CaptureService::noteTitle(7'020), QStringLiteral("Голосовая заметка (0:07)"));
    EXPECT_EQ(CaptureService::noteTitle(65'400), QStringLiteral("Голосовая заметка (1:05)"));
    EXPECT_EQ(CaptureService::noteTitle(599'600), QStringLiteral("Голосовая заметка (10:00)"));
    EXPECT_EQ(CaptureService::noteTitle(0), QStringLiteral("Голосовая заметка (0:00)"));
}

class CaptureServiceTest : public testing::Test {
protected:
    CaptureServiceTest() {
        store.change([&] { DemoSeed::populate(store, user, false); });
    }
    CaptureProcessResponse upload(const QByteArray& bytes) {
        return captures.create(user,
                               CaptureBody{.audioBase64 = QString::fromLatin1(bytes.toBase64()),
                                           .mimeType = QStringLiteral("audio/m4a")});
    }

    ServiceStore store;
    FolderService folders{store};
    TaskService tasks{store};
    Assistant assistant{store, folders, tasks};
    CaptureService captures{store, tasks, assistant};
};

TEST_F(CaptureServiceTest, FilesARecordingAsAVoiceNoteInTheInbox) {
    const CaptureProcessResponse response = upload(AacSynth::sineM4a(3.0));
    ASSERT_TRUE(response.run && response.result);
    EXPECT_EQ(response.capture.status, CaptureStatus::processed);
    EXPECT_EQ(response.capture.latestRunId, response.run->id);
    EXPECT_NEAR(double(response.capture.durationMs.value_or(0)), 3000.0, 60.0);
    EXPECT_EQ(response.run->attemptNo, 1);
    EXPECT_EQ(response.run->inputType, RunInput::audio);
    ASSERT_EQ(response.result->tasks.size(), 1);
    const TaskItem& note = response.result->tasks.first();
    EXPECT_EQ(note.title, QStringLiteral("Голосовая заметка (0:03)"));
    EXPECT_EQ(note.type, TaskType::note);
    EXPECT_EQ(note.source, SourceKind::voice);
    EXPECT_EQ(note.folderId, store.inbox(user)->id);
    EXPECT_EQ(response.run->resultingTaskId, note.id);
    EXPECT_TRUE(response.result->answer.contains(QStringLiteral("не распознаёт речь")));
    EXPECT_EQ(captures.list(user), QList<Capture>{response.capture});
}

TEST_F(CaptureServiceTest, RefusesBadBase64AndNonAudioWithoutStoringAnything) {
    const QList<std::pair<const char*, QString>> bodies{
        {"not base64", QStringLiteral("@@@@")},
        {"line breaks", QStringLiteral("aGVs\nbG8=")},
        {"non-Latin", QStringLiteral("aGVsbG8гг")},
        {"bad padding", QStringLiteral("aGVsbG8===")},
        {"text, not audio", QString::fromLatin1(QByteArray("hello").toBase64())},
        {"empty", QString()},
    };
    for (const auto& [name, base64] : bodies) {
        try {
            captures.create(user, CaptureBody{.audioBase64 = base64});
            ADD_FAILURE() << name << " was accepted";
        } catch (const ServiceError& error) {
            EXPECT_EQ(error.status(), 400) << name;
        }
    }
    EXPECT_TRUE(captures.list(user).isEmpty());
    EXPECT_TRUE(tasks.list(user, std::nullopt, std::nullopt).isEmpty());
}

TEST_F(CaptureServiceTest, ReprocessingRunsTheParserAndSupersedesThePreviousRun) {
    const CaptureProcessResponse first = upload(AacSynth::sineM4a(1.0));
    const ReprocessResponse second =
        captures.reprocess(user, first.capture.id, QStringLiteral("купить молоко завтра"));
    ASSERT_TRUE(second.run && second.result);
    EXPECT_EQ(second.run->attemptNo, 2);
    EXPECT_EQ(second.run->inputType, RunInput::editedText);
    EXPECT_EQ(second.run->editedTranscript, QStringLiteral("купить молоко завтра"));
    EXPECT_EQ(second.run->intent, Intent::captureNew);
    EXPECT_EQ(second.result->tasks.first().title, QStringLiteral("Купить молоко"));
    EXPECT_EQ(second.run->resultingTaskId, second.result->tasks.first().id);

    const ReprocessResponse third =
        captures.reprocess(user, first.capture.id, QStringLiteral("выполнил купить молоко"));
    const CaptureWithRuns history = captures.get(user, first.capture.id);
    ASSERT_EQ(history.runs.size(), 3);
    EXPECT_EQ(history.runs[0].supersededById, second.run->id);
    EXPECT_EQ(history.runs[1].supersededById, third.run->id);
    EXPECT_FALSE(history.runs[2].supersededById.has_value());
    EXPECT_EQ(history.capture.latestRunId, third.run->id);
    EXPECT_EQ(history.capture.status, CaptureStatus::processed);
}

TEST_F(CaptureServiceTest, ReprocessNeedsSomeTextAndTheOwnersCapture) {
    const CaptureProcessResponse first = upload(AacSynth::sineM4a(1.0));
    const auto status = [&](const QString& id, std::optional<QString> text) {
        try {
            captures.reprocess(user, id, text);
        } catch (const ServiceError& error) {
            return error.status();
        }
        return 200;
    };
    EXPECT_EQ(status(first.capture.id, QStringLiteral("   ")), 400); // the rest: ContractTest
    EXPECT_EQ(captures.get(user, first.capture.id).runs.size(), 1);
    EXPECT_THROW(captures.get(QStringLiteral("other"), first.capture.id), ServiceError);
}

} // namespace
