#pragma once

#include "OndrelUI/recorder/PcmSource.h"

#include <QAudioDevice>
#include <QAudioSource>
#include <QPointer>

#include <memory>
#include <optional>

// Captures from an audio input device with QAudioSource in pull mode (start() hands back the
// QIODevice, read on readyRead). Asks for what the recording needs (mono, 44.1 kHz, float or
// 16-bit) and takes the device's own format when it offers neither.
class DevicePcmSource : public PcmSource {
    Q_OBJECT

public:
    // Without a device: the system's default input at every start.
    explicit DevicePcmSource(std::optional<QAudioDevice> device = std::nullopt,
                             QObject* parent = nullptr);
    ~DevicePcmSource() override;

    QAudioFormat start() override;
    void stop() override;

private:
    void readAvailable();
    void onStateChanged(QAudio::State state);

    std::optional<QAudioDevice> m_device;
    std::unique_ptr<QAudioSource> m_source;
    QPointer<QIODevice> m_input; // owned by m_source
};
