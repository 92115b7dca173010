#include "OndrelCore/MockSpeechTranscriber.h"

#include "support/AwaitTask.h"

#include <gtest/gtest.h>

namespace {

TEST(MockSpeechTranscriber, answersWithTheCurrentResult) {
    MockSpeechTranscriber mock(QString{});
    SpeechTranscriber& transcriber = mock;
    const QUrl missing = QUrl::fromLocalFile(QStringLiteral("/nonexistent/od-x.m4a"));
    EXPECT_EQ(awaitTask(transcriber.transcribe(missing)), QString());
    mock.setResult(QStringLiteral("купить молоко"));
    EXPECT_EQ(awaitTask(transcriber.transcribe(missing)), QStringLiteral("купить молоко"));
    EXPECT_EQ(awaitTask(transcriber.transcribe(missing)), QStringLiteral("купить молоко"));
    EXPECT_EQ(mock.result(), QStringLiteral("купить молоко"));
}

} // namespace
