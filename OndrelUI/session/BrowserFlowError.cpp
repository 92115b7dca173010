#include "OndrelUI/session/BrowserFlowError.h"

BrowserFlowError::BrowserFlowError(Kind kind) : m_kind(kind), m_what(description().toUtf8()) {}

QString BrowserFlowError::description() const {
    switch (m_kind) {
    case Kind::cancelled:
        return QStringLiteral("вход отменён");
    case Kind::browserUnavailable:
        return QStringLiteral("не удалось открыть браузер");
    }
    return {};
}
