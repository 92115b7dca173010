#pragma once

#include <QtGlobal>

#include <chrono>

// Bounds on what the hand-over socket accepts and how long either side waits. Any local program
// of the user can connect, so a peer is held to these.
struct HandOverLimits {
    qsizetype messageBytes = 16 * 1024; // a callback holds two tokens; far below this
    std::chrono::milliseconds peerTime{2000};
    int peers = 8; // connections served at once; more are closed on arrival
    std::chrono::milliseconds handOverTime{5000}; // the sending side's whole wait
};
