#include "support/MockSpeechTranscriber.h"

QCoro::Task<QString> MockSpeechTranscriber::transcribe(QUrl) {
    // A copy: QCoro's promise moves from a non-const lvalue given to co_return.
    co_return QString(m_result);
}
