#pragma once

#include <QCoroTask>
#include <QString>
#include <QUrl>

// Speech-to-text for a recorded audio file. Optional: the app works without one.
class SpeechTranscriber {
public:
    virtual ~SpeechTranscriber() = default;
    // The recognised text; throws what the speech engine reports.
    virtual QCoro::Task<QString> transcribe(QUrl audioURL) = 0;
};
