#pragma once

#include "OndrelCore/client/HTTPTransport.h"

#include <QList>

#include <coroutine>
#include <deque>
#include <exception>
#include <functional>
#include <variant>
#include <vector>

// A scripted HTTPTransport for tests. Answers come from the FIFO first, then from the handler;
// with neither, send() fails with std::logic_error so a missing script shows up as a test
// failure rather than a hang. Every answer arrives on a later event-loop turn, so callers really
// suspend, as they do on the network. Single-threaded: use it on the thread that awaits it.
class FakeTransport : public HTTPTransport {
public:
    using Handler = std::function<HTTPResponse(const HTTPRequest&)>; // may throw

    // Scripted answers and failures (e.g. TransportError), FIFO.
    void enqueue(int status, QByteArray body) {
        m_script.emplace_back(HTTPResponse{.body = std::move(body), .statusCode = status});
    }
    void enqueueError(std::exception_ptr error) { m_script.emplace_back(std::move(error)); }
    void setHandler(Handler handler) { m_handler = std::move(handler); } // when the FIFO is empty
    // While held, send() records its request and then waits; release() (or setHeld(false))
    // ends the hold and lets every waiting send() answer.
    void setHeld(bool held) { held ? void(m_held = true) : release(); }
    void release();
    const QList<HTTPRequest>& requests() const { return m_requests; } // in order of send()

    QCoro::Task<HTTPResponse> send(HTTPRequest request) override;

private:
    struct HoldAwaiter;
    using Answer = std::variant<HTTPResponse, std::exception_ptr>;

    HTTPResponse answer(const HTTPRequest& request);

    std::deque<Answer> m_script;
    Handler m_handler;
    QList<HTTPRequest> m_requests;
    bool m_held = false;
    std::vector<std::coroutine_handle<>> m_waiting;
};
