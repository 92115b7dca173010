#include "OndrelUI/recorder/BackgroundEncoder.h"

#include <QMetaObject>

#include <exception>

BackgroundEncoder::BackgroundEncoder(const QString& path, QObject* parent)
    : QObject(parent), m_encoder(std::make_unique<AacFileEncoder>(path)) {
    m_thread.setObjectName(QStringLiteral("AacEncoder"));
    m_worker.moveToThread(&m_thread);
    m_thread.start();
}

BackgroundEncoder::~BackgroundEncoder() {
    if (m_thread.isRunning())
        finish();
}

void BackgroundEncoder::append(std::vector<float> samples) {
    QMetaObject::invokeMethod(
        &m_worker, [this, samples = std::move(samples)] { encodeOnWorker(samples); },
        Qt::QueuedConnection);
}

bool BackgroundEncoder::finish() {
    stopWorker();
    // Even after a failure: when nothing was lost on the way to the disk, what was encoded
    // still makes a playable file (after a write error the trailer fails too).
    try {
        m_encoder->finish();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void BackgroundEncoder::encodeOnWorker(const std::vector<float>& samples) {
    if (m_failed)
        return;
    try {
        m_encoder->encode(samples);
    } catch (const std::exception& error) {
        m_failed = true;
        // Posted to this object: dropped if it is gone by then.
        QMetaObject::invokeMethod(
            this, [this, reason = QString::fromUtf8(error.what())] { Q_EMIT failed(reason); },
            Qt::QueuedConnection);
    }
}

// The quit request queues behind every sample already appended; the wait then orders all of the
// worker's writes before anything this thread does next.
void BackgroundEncoder::stopWorker() {
    QMetaObject::invokeMethod(
        &m_worker, [this] { m_thread.quit(); }, Qt::QueuedConnection);
    m_thread.wait();
}
