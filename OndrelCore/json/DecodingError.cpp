#include "OndrelCore/json/DecodingError.h"

DecodingError::DecodingError(Kind kind, QString codingPath, QString description)
    : m_kind(kind), m_codingPath(std::move(codingPath)), m_description(std::move(description)) {
    m_what = (m_codingPath.isEmpty() ? m_description
                                     : m_codingPath + QStringLiteral(": ") + m_description)
                 .toUtf8();
}
