#pragma once

#include <QCoroTask>

#include <exception>
#include <optional>

// Runs a task to completion in a nested event loop and hands back its value, or rethrows its
// error (QCoro::waitFor alone would never return from a task that throws).
template <class T>
T await(QCoro::Task<T> task) {
    std::exception_ptr error;
    auto catching = [](QCoro::Task<T> inner,
                       std::exception_ptr& failure) -> QCoro::Task<std::optional<T>> {
        try {
            co_return co_await std::move(inner);
        } catch (...) {
            failure = std::current_exception();
        }
        co_return std::nullopt;
    };
    std::optional<T> result = QCoro::waitFor(catching(std::move(task), error));
    if (error)
        std::rethrow_exception(error);
    return std::move(*result);
}

inline void await(QCoro::Task<> task) {
    std::exception_ptr error;
    auto catching = [](QCoro::Task<> inner, std::exception_ptr& failure) -> QCoro::Task<> {
        try {
            co_await std::move(inner);
        } catch (...) {
            failure = std::current_exception();
        }
    };
    QCoro::waitFor(catching(std::move(task), error));
    if (error)
        std::rethrow_exception(error);
}
