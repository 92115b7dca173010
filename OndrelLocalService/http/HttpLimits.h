#pragma once

#include <QtGlobal>

#include <chrono>

// What one client may ask of the HTTP layer. The sizes are fixed (the refusals name them);
// connections, memory and times may be set, the tests set them small.
struct HttpLimits {
    static constexpr qsizetype maxBody = 32 * 1024 * 1024;
    static constexpr qsizetype maxTarget = 8 * 1024;
    static constexpr qsizetype maxHeaders = 16 * 1024;

    // Open connections; beyond it the longest-idle one is closed to make room, or, when every
    // one is busy, the newcomer is refused with 503 at once.
    int maxConnections = 256;
    // Bytes of request bodies held at once over all connections; a request that would go past
    // it is refused with 503. A chunked body counts as maxBody from its start.
    qsizetype bodyMemory = 4 * maxBody;
    // From a request's first byte to its last.
    std::chrono::milliseconds requestTimeout{30'000};
    // A kept-alive connection waiting for its next request.
    std::chrono::milliseconds idleTimeout{10'000};
    std::chrono::milliseconds writeTimeout{60'000};
    // After a refusal, what the client still sends is read and dropped for this long, so that
    // it gets to read the refusal instead of a reset.
    std::chrono::milliseconds lingerTimeout{2'000};
};
