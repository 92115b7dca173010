#pragma once

#include "OndrelUI/session/AuthSession.h"
#include "OndrelUI/viewmodels/Outcome.h"

// The call `body(APIClient)` made through the session, as a task that never throws.
template <class Body>
auto attempt(AuthSession* session, Body body) {
    return outcomeOf(session->run(std::move(body)));
}
