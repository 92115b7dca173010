#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <QString>

// Where a recording's sound comes from: the input device in the application, synthetic PCM in
// tests and screenshots. Lives on the GUI thread and emits there.
class PcmSource : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Begins capture and says how the samples of `captured` are laid out (any rate, channel
    // count and sample format; the recorder converts). Throws RecorderError when capture cannot
    // begin, and then captures nothing.
    virtual QAudioFormat start() = 0;
    // Ends capture; what was still buffered may be emitted before it returns, nothing after.
    virtual void stop() = 0;

Q_SIGNALS:
    // Interleaved samples in the format `start` returned; a frame may straddle two emissions.
    void captured(const QByteArray& pcm);
    // Capture ended on its own (the device went away); nothing more comes until the next start.
    void failed(const QString& reason);
};
