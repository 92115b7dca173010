#pragma once

#include <QCoroTask>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <stdexcept>
#include <type_traits>

// Runs a nested event loop until `task` finishes and returns its result or rethrows its
// exception. QCoro::waitFor in QCoro 0.8 never returns when the task throws, so tests use this
// instead. A task still unfinished after `limit` aborts the test binary: unwinding would leave
// the suspended coroutine pointing at dead stack frames.
template <class T>
T awaitTask(QCoro::Task<T> task, std::chrono::milliseconds limit = std::chrono::seconds{30}) {
    QEventLoop loop;
    bool done = false;
    std::exception_ptr error;
    std::conditional_t<std::is_void_v<T>, bool, std::optional<T>> result{};
    auto drive = [&]() -> QCoro::Task<void> {
        try {
            if constexpr (std::is_void_v<T>) {
                co_await std::move(task);
            } else {
                T value = co_await std::move(task);
                result.emplace(std::move(value));
            }
        } catch (...) {
            error = std::current_exception();
        }
        done = true;
        loop.quit();
    };
    auto driver = drive();
    if (!done) {
        QTimer::singleShot(limit, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!done) {
        std::fprintf(stderr, "awaitTask: task unfinished after %lld ms\n",
                     static_cast<long long>(limit.count()));
        std::abort();
    }
    if (error)
        std::rethrow_exception(error);
    if constexpr (!std::is_void_v<T>)
        return std::move(*result);
}

// The `Error` that `task` fails with. Any other ending throws, and the test fails with it.
template <class Error, class T>
Error failureOf(QCoro::Task<T> task) {
    try {
        awaitTask(std::move(task));
    } catch (const Error& error) {
        return error;
    }
    throw std::logic_error("the task did not fail with the expected error");
}
