#pragma once

#include "OndrelLocalService/LocalServer.h"

#include <QUrl>

#include <memory>
#include <optional>

// The service running in this process on a free loopback port, with a clock the test moves.
class LoopbackService {
public:
    explicit LoopbackService(ServiceRouter::Settings settings = {},
                             std::optional<QString> dataFile = std::nullopt);

    QUrl baseURL() const;
    ServiceStore& store() { return *m_store; }
    void advance(std::chrono::seconds by) { m_now.time += by; }
    // Stops and starts again on the same data file (and a new port).
    void restart();

private:
    void start();

    ServiceRouter::Settings m_settings;
    std::optional<QString> m_dataFile;
    Instant m_now = Instant::now();
    std::unique_ptr<ServiceStore> m_store;
    std::unique_ptr<LocalServer> m_server;
    quint16 m_port = 0;
};
