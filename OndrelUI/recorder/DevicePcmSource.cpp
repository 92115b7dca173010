#include "OndrelUI/recorder/DevicePcmSource.h"

#include "OndrelUI/recorder/RecorderError.h"
#include "OndrelUI/recorder/RecordingFormat.h"

#include <QMediaDevices>

namespace {

QAudioFormat formatFor(const QAudioDevice& device) {
    QAudioFormat wanted;
    wanted.setSampleRate(RecordingFormat::sampleRate);
    wanted.setChannelCount(RecordingFormat::channelCount);
    for (const auto sampleFormat : {QAudioFormat::Float, QAudioFormat::Int16}) {
        wanted.setSampleFormat(sampleFormat);
        if (device.isFormatSupported(wanted))
            return wanted;
    }
    return device.preferredFormat(); // converted by the recorder
}

} // namespace

DevicePcmSource::DevicePcmSource(std::optional<QAudioDevice> device, QObject* parent)
    : PcmSource(parent), m_device(std::move(device)) {}

DevicePcmSource::~DevicePcmSource() {
    stop();
}

QAudioFormat DevicePcmSource::start() {
    stop();
    const QAudioDevice device = m_device.value_or(QMediaDevices::defaultAudioInput());
    if (device.isNull())
        throw RecorderError(QStringLiteral("No audio input device"));
    const QAudioFormat format = formatFor(device);
    auto source = std::make_unique<QAudioSource>(device, format);
    QIODevice* input = source->start();
    if (!input || source->error() != QAudio::NoError)
        throw RecorderError(
            QStringLiteral("The audio input \"%1\" did not open").arg(device.description()));
    connect(input, &QIODevice::readyRead, this, &DevicePcmSource::readAvailable);
    connect(source.get(), &QAudioSource::stateChanged, this, &DevicePcmSource::onStateChanged);
    m_source = std::move(source);
    m_input = input;
    return format;
}

void DevicePcmSource::stop() {
    if (!m_source)
        return;
    readAvailable(); // what the device already delivered belongs to the recording
    auto source = std::move(m_source);
    source->disconnect(this);
    if (m_input)
        m_input->disconnect(this);
    m_input = nullptr;
    source->stop();
}

void DevicePcmSource::readAvailable() {
    if (!m_input)
        return;
    const QByteArray pcm = m_input->readAll();
    if (!pcm.isEmpty())
        Q_EMIT captured(pcm);
}

void DevicePcmSource::onStateChanged(QAudio::State state) {
    if (state != QAudio::StoppedState)
        return;
    // Handled from the event loop: stop() destroys the source, which is still emitting here.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_source || m_source->state() != QAudio::StoppedState ||
                m_source->error() == QAudio::NoError)
                return;
            const QString reason =
                QStringLiteral("The audio input stopped (error %1)").arg(int(m_source->error()));
            stop();
            Q_EMIT failed(reason);
        },
        Qt::QueuedConnection);
}
