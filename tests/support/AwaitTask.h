#pragma once

#include <QEventLoop>
#include <QTimer>

#include <QCoroTask>

#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace orvane::testsupport {

// What a test waits for at most by default: everything a test awaits here
// (sign-ins, uploads, requests to the emulator) ends well within it, so a
// coroutine that does not has gone wrong, and its test fails at once instead
// of waiting out the code's own, much longer time-outs.
inline constexpr std::chrono::milliseconds awaitLimit{std::chrono::seconds(5)};

namespace detail {

template <typename T>
struct AwaitedTask {
    QEventLoop* loop = nullptr;
    bool finished = false;
    std::exception_ptr failure;
    std::conditional_t<std::is_void_v<T>, bool, std::optional<T>> result{};
};

// Takes its state by shared pointer, not by reference: when the wait gives
// up, the coroutine may still be suspended, and must not write into the
// stack of a wait that has returned.
template <typename T>
QCoro::Task<> runToEnd(QCoro::Task<T> task, std::shared_ptr<AwaitedTask<T>> state)
{
    try {
        if constexpr (std::is_void_v<T>)
            co_await std::move(task);
        else
            state->result = co_await std::move(task);
    } catch (...) {
        state->failure = std::current_exception();
    }
    state->finished = true;
    if (state->loop)
        state->loop->quit();
}

} // namespace detail

// Runs a coroutine to its end in a nested event loop and hands back its
// result, rethrowing what it threw. (QCoro::waitFor never returns when the
// task throws.) Throws std::runtime_error when the coroutine has not ended
// within limit.
template <typename T>
T awaitTask(QCoro::Task<T> task, std::chrono::milliseconds limit = awaitLimit)
{
    auto state = std::make_shared<detail::AwaitedTask<T>>();
    QEventLoop loop;
    state->loop = &loop;
    auto running = detail::runToEnd(std::move(task), state);
    if (!state->finished) {
        QTimer::singleShot(limit, &loop, &QEventLoop::quit);
        loop.exec();
    }
    state->loop = nullptr;
    if (!state->finished)
        throw std::runtime_error("the awaited task did not end within " + std::to_string(limit.count()) + " ms");
    if (state->failure)
        std::rethrow_exception(state->failure);
    if constexpr (!std::is_void_v<T>)
        return std::move(*state->result);
}

} // namespace orvane::testsupport
