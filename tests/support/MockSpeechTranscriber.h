#pragma once

#include "OndrelCore/planning/SpeechTranscriber.h"

// Stands in for a speech engine: answers every file with the current `result`, never reading it.
class MockSpeechTranscriber : public SpeechTranscriber {
public:
    explicit MockSpeechTranscriber(QString result) : m_result(std::move(result)) {}

    const QString& result() const { return m_result; }
    void setResult(QString result) { m_result = std::move(result); }

    QCoro::Task<QString> transcribe(QUrl audioURL) override;

private:
    QString m_result;
};
