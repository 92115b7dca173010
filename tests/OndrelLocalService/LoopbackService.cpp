#include "LoopbackService.h"

#include <stdexcept>

LoopbackService::LoopbackService(ServiceRouter::Settings settings, std::optional<QString> dataFile)
    : m_settings(settings), m_dataFile(std::move(dataFile)) {
    start();
}

void LoopbackService::start() {
    std::optional<StateFile> file;
    if (m_dataFile)
        file.emplace(*m_dataFile);
    m_store = std::make_unique<ServiceStore>(std::move(file), [this] { return m_now; });
    m_server = std::make_unique<LocalServer>(*m_store, m_settings);
    m_port = m_server->listenOnLoopback(0);
    if (m_port == 0)
        throw std::runtime_error("the local service could not listen on loopback");
}

void LoopbackService::restart() {
    m_server.reset();
    m_store.reset();
    start();
}

QUrl LoopbackService::baseURL() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port));
}
