#include "AacTone.h"
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

// Only AAC audio passes, and the probe opens nothing an upload names: a playlist pointing at the
// network or at a file is refused without a knock.
TEST(AudioProbe, RefusesWhatIsNotAacAudio) {
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("real.m4a")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(sineM4a(1.0));
    file.close();
    const auto playlist = [](const QString& entry) {
        return "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:10\n#EXT-X-MEDIA-SEQUENCE:0\n"
               "#EXTINF:10.0,\n" +
               entry.toUtf8() + "\n#EXT-X-ENDLIST\n";
    };
    const QList<std::pair<const char*, QByteArray>> samples{
        {"empty", {}},
        {"text", "hello world, definitely not audio"},
        {"zeros", QByteArray(4096, '\0')},
        {"PCM wave", pcmWave()},
        {"truncated m4a", sineM4a(1.0).left(64)},
        {"playlist of the network",
         playlist(QStringLiteral("http://127.0.0.1:%1/segment.aac").arg(listener.serverPort()))},
        {"playlist of a file", playlist(QUrl::fromLocalFile(file.fileName()).toString())},
    };
    for (const auto& [name, bytes] : samples)
        EXPECT_FALSE(AudioProbe::aac(bytes).has_value()) << name;
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

    ServiceStore store;
    FolderService folders{store};
    TaskService tasks{store};
    Assistant assistant{store, folders, tasks};
    CaptureService captures{store, tasks, assistant};
};

// Bad base64 and non-audio are refused with nothing stored; a reprocess needs some text; one
// user never reaches another's capture.
TEST_F(CaptureServiceTest, RefusesBadUploadsBlankTextAndOtherUsers) {
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

    const QString id =
        captures
            .create(user, CaptureBody{.audioBase64 = QString::fromLatin1(sineM4a(1.0).toBase64())})
            .capture.id;
    EXPECT_THROW(captures.reprocess(user, id, QStringLiteral("   ")), ServiceError);
    EXPECT_EQ(captures.get(user, id).runs.size(), 1);
    EXPECT_THROW(captures.get(QStringLiteral("other"), id), ServiceError);
}

} // namespace
