#include "FakeTransport.h"

#include <QCoroTimer>
#include <QTimer>

#include <stdexcept>

namespace {

// Suspends until the event loop has turned at least once.
QCoro::Task<void> nextTurn() {
    QTimer timer;
    timer.setSingleShot(true);
    timer.start(0);
    co_await timer;
}

} // namespace

struct FakeTransport::HoldAwaiter {
    FakeTransport* transport;
    bool await_ready() const noexcept { return !transport->m_held; }
    void await_suspend(std::coroutine_handle<> handle) { transport->m_waiting.push_back(handle); }
    void await_resume() const noexcept {}
};

void FakeTransport::release() {
    m_held = false;
    // Each resumed send() suspends again at once on its next-turn timer, so nothing of the
    // caller runs inside release().
    auto waiting = std::move(m_waiting);
    m_waiting.clear();
    for (auto handle : waiting)
        handle.resume();
}

QCoro::Task<HTTPResponse> FakeTransport::send(HTTPRequest request) {
    m_requests.append(request);
    co_await nextTurn();
    if (m_held) {
        co_await HoldAwaiter{this};
        co_await nextTurn();
    }
    co_return answer(request);
}

HTTPResponse FakeTransport::answer(const HTTPRequest& request) {
    if (!m_script.empty()) {
        Answer next = std::move(m_script.front());
        m_script.pop_front();
        if (auto* error = std::get_if<std::exception_ptr>(&next))
            std::rethrow_exception(*error);
        return std::get<HTTPResponse>(std::move(next));
    }
    if (m_handler)
        return m_handler(request);
    throw std::logic_error("FakeTransport: no scripted answer for " + request.method.toStdString() +
                           " " + request.url.toString().toStdString());
}
