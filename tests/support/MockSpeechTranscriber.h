#pragma once

#include "OndrelCore/planning/SpeechTranscriber.h"

// Stands in for a speech engine: answers every file with the same text, never reading it.
class MockSpeechTranscriber : public SpeechTranscriber {
public:
    explicit MockSpeechTranscriber(QString result) : m_result(std::move(result)) {}

    QCoro::Task<QString> transcribe(QUrl) override {
        co_return QString(m_result); // a copy: the promise moves from what it is given
    }

private:
    QString m_result;
};
