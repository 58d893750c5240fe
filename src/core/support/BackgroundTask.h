#pragma once

#include <QtConcurrent/QtConcurrentRun>

#include <QCoroFuture>
#include <QCoroTask>

#include <exception>
#include <type_traits>
#include <variant>

namespace orvane {

// Runs blocking work (hashing a file, a keyring call) on the global thread pool
// and resumes the awaiting coroutine on its own thread with the result.
// QtConcurrent carries only QException subclasses across threads, so any
// exception is carried here and rethrown where the task is awaited.
template <typename Function>
auto runInBackground(Function function) -> QCoro::Task<std::invoke_result_t<Function>>
{
    using Result = std::invoke_result_t<Function>;
    if constexpr (std::is_void_v<Result>) {
        const std::exception_ptr failure = co_await QtConcurrent::run([function = std::move(function)]() mutable {
            try {
                function();
                return std::exception_ptr();
            } catch (...) {
                return std::current_exception();
            }
        });
        if (failure)
            std::rethrow_exception(failure);
    } else {
        using Outcome = std::variant<std::exception_ptr, Result>;
        Outcome outcome = co_await QtConcurrent::run([function = std::move(function)]() mutable -> Outcome {
            try {
                return Outcome(std::in_place_index<1>, function());
            } catch (...) {
                return Outcome(std::in_place_index<0>, std::current_exception());
            }
        });
        if (outcome.index() == 0)
            std::rethrow_exception(std::get<0>(outcome));
        co_return std::get<1>(std::move(outcome));
    }
}

} // namespace orvane
