#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>

// Lets the event loop run until `condition` holds; false if it still does not after `limit`.
template <class Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds{5}) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > limit.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}
