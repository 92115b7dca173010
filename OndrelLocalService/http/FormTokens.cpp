#include "OndrelLocalService/http/FormTokens.h"

#include "OndrelLocalService/state/Identifiers.h"

#include <algorithm>

QString FormTokens::issue() {
    dropExpired();
    if (m_issued.size() >= std::size_t(kept))
        m_issued.pop_front();
    m_issued.push_back({Identifiers::token(), Instant{m_clock().time + lifetime}});
    return m_issued.back().token;
}

bool FormTokens::spend(const QString& token) {
    dropExpired();
    const auto found = std::ranges::find(m_issued, token, &Issued::token);
    if (token.isEmpty() || found == m_issued.end())
        return false;
    m_issued.erase(found);
    return true;
}

void FormTokens::dropExpired() {
    const Instant now = m_clock();
    while (!m_issued.empty() && m_issued.front().expiresAt <= now)
        m_issued.pop_front();
}
