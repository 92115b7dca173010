// Replays one fuzz corpus through its fuzz entry in the ordinary build, so every seed and every
// input that once crashed stays a regression test.
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

TEST(FuzzReplay, ONDREL_FUZZ_NAME) {
    const QDir corpus(QStringLiteral(ONDREL_FUZZ_CORPUS));
    const auto entries = corpus.entryList(QDir::Files);
    ASSERT_FALSE(entries.isEmpty());
    for (const QString& name : entries) {
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                         std::size_t(bytes.size())),
                  0)
            << name.toStdString();
    }
}
