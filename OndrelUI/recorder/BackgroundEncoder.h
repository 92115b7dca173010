#pragma once

#include "OndrelUI/recorder/AacFileEncoder.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <memory>
#include <vector>

// Runs an AacFileEncoder on a thread of its own so the window never waits for the codec.
// Samples are encoded in the order they were appended; the first failure is reported once and
// the samples after it are dropped.
class BackgroundEncoder : public QObject {
    Q_OBJECT

public:
    // Creates the file and writes its header before returning, so a file that cannot be written
    // fails the caller at once. Throws RecorderError.
    explicit BackgroundEncoder(const QString& path, QObject* parent = nullptr);
    // Completes the file if finish() was not called.
    ~BackgroundEncoder() override;

    void append(std::vector<float> samples);
    // Waits for the appended samples, then completes the file. True when the file is complete
    // and playable, which it may still be after a reported failure. Call it once.
    bool finish();
    // After finish(): whether every sample appended was encoded.
    bool encodedAll() const { return !m_failed; }

Q_SIGNALS:
    // Emitted on the owner's thread.
    void failed(const QString& reason);

private:
    void encodeOnWorker(const std::vector<float>& samples);
    void stopWorker();

    // After construction only the worker thread touches it, until the thread has ended.
    std::unique_ptr<AacFileEncoder> m_encoder;
    bool m_failed = false; // worker side until the worker has ended
    QThread m_thread;
    QObject m_worker; // lives on m_thread; its queue carries the samples
};
