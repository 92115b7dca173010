#pragma once

#include "OndrelUI/offline/OfflineMode.h"
#include "OndrelUI/session/AuthSession.h"
#include "OndrelUI/viewmodels/Outcome.h"

// The call `body(APIClient)` made through the session, as a task that never throws.
template <class Body>
auto attempt(AuthSession* session, Body body) {
    return outcomeOf(session->run(std::move(body)));
}

// The same for a change, unless earlier changes still wait in `offline`'s queue: then it is
// not sent but fails at once as held back, so that it joins the queue behind them.
template <class Body>
auto attempt(AuthSession* session, OfflineMode* offline, Body body)
    -> decltype(attempt(session, std::move(body))) {
    using Result = typename decltype(attempt(session, std::move(body)))::value_type;
    if (offline->holdsBack())
        co_return Result{std::nullopt, std::make_exception_ptr(OfflineMode::HeldBack())};
    auto calling = attempt(session, std::move(body));
    co_return co_await calling;
}
