#pragma once

#include "OndrelLocalService/http/LocalServer.h"

#include <QUrl>

#include <stdexcept>

// The service running in this process on a free loopback port, with a clock the test moves.
class LoopbackService {
public:
    explicit LoopbackService(ServiceRouter::Settings settings = {}, const HttpLimits& limits = {})
        : m_server(m_store, settings) {
        m_server.setLimits(limits);
        m_port = m_server.listenOnLoopback(0);
        if (m_port == 0)
            throw std::runtime_error("the local service could not listen on loopback");
    }

    QUrl baseURL() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port)); }
    quint16 port() const { return m_port; }
    void advance(std::chrono::seconds by) { m_now.time += by; }

private:
    Instant m_now = Instant::now();
    ServiceStore m_store{std::nullopt, [this] { return m_now; }};
    LocalServer m_server;
    quint16 m_port = 0;
};
