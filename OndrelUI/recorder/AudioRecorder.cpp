#include "OndrelUI/recorder/AudioRecorder.h"

#include "OndrelUI/recorder/DevicePcmSource.h"
#include "OndrelUI/recorder/RecorderError.h"
#include "OndrelUI/recorder/RecordingSession.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <chrono>

namespace {

constexpr std::chrono::milliseconds meteringInterval{100};

QString newRecordingPath() {
    // Empty when TMPDIR names a folder that does not exist; never the working folder then.
    const QString folder = QDir::tempPath();
    if (folder.isEmpty())
        throw RecorderError(QStringLiteral("The temporary folder does not exist"));
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    return QDir(folder).filePath(QStringLiteral("od-%1.m4a").arg(uuid));
}

} // namespace

AudioRecorder::AudioRecorder(QObject* parent)
    : AudioRecorder(std::make_unique<DevicePcmSource>(), parent) {}

AudioRecorder::AudioRecorder(std::unique_ptr<PcmSource> source, QObject* parent)
    : QObject(parent), m_source(std::move(source)) {
    m_meteringTimer.setInterval(meteringInterval);
    connect(&m_meteringTimer, &QTimer::timeout, this, &AudioRecorder::meter);
    connect(m_source.get(), &PcmSource::captured, this, &AudioRecorder::onCaptured);
    connect(m_source.get(), &PcmSource::failed, this,
            [this] { endRecording(Interruption::deviceLost); });
}

AudioRecorder::~AudioRecorder() {
    if (m_recording)
        completeRecording();
}

void AudioRecorder::start() {
    endRecording();
    const QString path = newRecordingPath();
    const QAudioFormat format = m_source->start();
    try {
        m_recording = std::make_unique<RecordingSession>(format, path);
    } catch (...) {
        m_source->stop();
        throw;
    }
    // Queued: the report arrives inside the encoder's own event, and ending the recording
    // destroys the encoder.
    const quint64 number = ++m_recordingNumber;
    connect(
        m_recording.get(), &RecordingSession::failed, this,
        [this, number] {
            if (number == m_recordingNumber)
                endRecording(); // which finds the failure
        },
        Qt::QueuedConnection);
    m_fileURL = QUrl::fromLocalFile(path);
    m_fileComplete = false;
    m_interruption.reset();
    m_meteringTimer.start();
    Q_EMIT isRecordingChanged();
}

std::optional<QByteArray> AudioRecorder::stop() {
    endRecording();
    if (!m_fileURL || !m_fileComplete)
        return std::nullopt;
    QFile file(m_fileURL->toLocalFile());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

bool AudioRecorder::startRecording() {
    try {
        start();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

QByteArray AudioRecorder::stopRecording() {
    return stop().value_or(QByteArray());
}

// `cause` is what ended it when not a stop; an encoder's failure outweighs it.
void AudioRecorder::endRecording(std::optional<Interruption> cause) {
    if (!m_recording)
        return; // stopped meanwhile: a late report concerns nothing
    if (!completeRecording())
        cause = Interruption::encoderFailed;
    m_interruption = cause;
    Q_EMIT isRecordingChanged();
    setLevel(0);
    if (cause)
        Q_EMIT interrupted(*cause);
}

// Without announcing anything: the destructor uses it too. False when the file does not hold
// everything captured.
bool AudioRecorder::completeRecording() {
    m_meteringTimer.stop();
    m_source->stop(); // may still hand over the last samples
    const std::unique_ptr<RecordingSession> recording = std::move(m_recording);
    m_fileComplete = recording->finish();
    return m_fileComplete && recording->encodedAll();
}

void AudioRecorder::onCaptured(const QByteArray& pcm) {
    if (m_recording)
        m_recording->add(pcm);
}

void AudioRecorder::meter() {
    if (!m_recording)
        return;
    if (const auto level = m_recording->takeLevel())
        setLevel(*level);
}

void AudioRecorder::setLevel(double level) {
    if (level == m_level)
        return;
    m_level = level;
    Q_EMIT levelChanged();
}
