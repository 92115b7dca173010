#include "OndrelUI/update/UpdateState.h"

void UpdateState::report(bool available) {
    // Direct on the own thread, queued from any other.
    QMetaObject::invokeMethod(this, [this, available] {
        if (m_available == available)
            return;
        m_available = available;
        Q_EMIT availableChanged();
    });
}
