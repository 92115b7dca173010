#pragma once

#include <QCoroTask>

#include <exception>
#include <optional>

// What a service call ended with: its value, or the failure it threw. View-model actions await
// calls through outcomeOf so that no failure escapes them and no handler needs a co_await.
//
// g++ 12 may destroy a temporary of a co_await expression twice, so coroutines here await only
// named tasks: `auto calling = outcomeOf(...); auto outcome = co_await calling;`.
template <class T>
struct Outcome {
    std::optional<T> value;
    std::exception_ptr error; // set exactly when `value` is absent
};

template <class T>
QCoro::Task<Outcome<T>> outcomeOf(QCoro::Task<T> task) {
    try {
        T value = co_await task;
        co_return Outcome<T>{std::move(value), nullptr};
    } catch (...) {
        co_return Outcome<T>{std::nullopt, std::current_exception()};
    }
}

// An action that does nothing: what a QML entry point starts when its arguments name nothing.
inline QCoro::Task<void> noAction() {
    co_return;
}
