#pragma once

#include <exception>

// Whether a failed request means the service could not be reached or could not answer now (no
// connection, a time-out, a 5xx), as opposed to an answer that refuses the request (a 4xx).
bool meansUnreachable(const std::exception_ptr& error);
// The service answered and refused this very request (a 4xx other than 401, or a request the
// client will not send): sending it again would be refused again.
bool meansRefused(const std::exception_ptr& error);
