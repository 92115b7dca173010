#include "OndrelUI/offline/UndoOffer.h"

UndoOffer::UndoOffer(QObject* parent) : QObject(parent) {
    m_expiry.setSingleShot(true);
    m_expiry.setInterval(shownMs);
    connect(&m_expiry, &QTimer::timeout, this, &UndoOffer::clear);
}

void UndoOffer::offer(std::function<void()> undo) {
    const bool was = shown();
    m_undo = std::move(undo);
    m_expiry.start();
    if (was != shown())
        Q_EMIT shownChanged();
}

void UndoOffer::undo() {
    const std::function<void()> undo = m_undo;
    clear();
    if (undo)
        undo();
}

void UndoOffer::clear() {
    m_expiry.stop();
    if (!m_undo)
        return;
    m_undo = nullptr;
    Q_EMIT shownChanged();
}
