#pragma once

#include <QEventLoop>

#include <QCoroTask>

#include <exception>
#include <optional>
#include <type_traits>

namespace orvane::testsupport {

// Runs a coroutine to its end in a nested event loop and hands back its
// result, rethrowing what it threw. (QCoro::waitFor never returns when the
// task throws.)
template <typename T>
T awaitTask(QCoro::Task<T> task)
{
    QEventLoop loop;
    bool finished = false;
    std::exception_ptr failure;
    std::conditional_t<std::is_void_v<T>, bool, std::optional<T>> result{};
    auto run = [&]() -> QCoro::Task<> {
        try {
            if constexpr (std::is_void_v<T>)
                co_await std::move(task);
            else
                result = co_await std::move(task);
        } catch (...) {
            failure = std::current_exception();
        }
        finished = true;
        loop.quit();
    };
    auto running = run();
    if (!finished)
        loop.exec();
    if (failure)
        std::rethrow_exception(failure);
    if constexpr (!std::is_void_v<T>)
        return std::move(*result);
}

} // namespace orvane::testsupport
