#pragma once

#include "OndrelCore/client/HTTPTransport.h"

#include <QCoreApplication>
#include <QList>

#include <coroutine>
#include <optional>

// A transport whose requests wait until the test answers each one by number, in any order, so
// tests can make an earlier request finish after a later one. An answer is delivered on a
// later turn of the event loop, as from the network, in the order the test gave them.
class ManualTransport : public HTTPTransport {
public:
    QCoro::Task<HTTPResponse> send(HTTPRequest request) override {
        const qsizetype number = m_requests.size();
        m_requests.append(std::move(request));
        m_pending.append(Pending{});
        co_await AnswerAwaiter{&m_pending[number]};
        co_return *m_pending[number].answer;
    }

    void answer(qsizetype number, int status, QByteArray body) {
        Pending& pending = m_pending[number];
        pending.answer = HTTPResponse{std::move(body), status};
        if (const auto waiting = pending.waiting)
            QMetaObject::invokeMethod(
                qApp, [waiting] { waiting.resume(); }, Qt::QueuedConnection);
    }

    const QList<HTTPRequest>& requests() const { return m_requests; }

private:
    struct Pending {
        std::optional<HTTPResponse> answer;
        std::coroutine_handle<> waiting;
    };
    // Every request is answered after it was sent, so the awaiter always suspends.
    struct AnswerAwaiter {
        Pending* pending;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> handle) { pending->waiting = handle; }
        void await_resume() const noexcept {}
    };

    QList<HTTPRequest> m_requests;
    QList<Pending> m_pending;
};
