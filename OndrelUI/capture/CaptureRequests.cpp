#include "OndrelUI/capture/CaptureRequests.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(captureLog, "ondrel.capture")

void CaptureRequests::record() {
    qCInfo(captureLog) << "recording requested";
    Q_EMIT recordRequested();
}

void CaptureRequests::write() {
    qCInfo(captureLog) << "typing requested";
    Q_EMIT writeRequested();
}
