#pragma once

#include <QCoroTask>

#include <chrono>
#include <functional>
#include <memory>

namespace orvane {

class AbortRegistration;

// Lets whoever started network work stop it: a wait between retries, a Qt
// request, a libcurl transfer on the thread pool. Copies share one state, so
// the one who aborts and the work that listens each hold their own copy.
// Thread-safe; work that stops because of it throws UrlError::cancelled.
class AbortSignal {
public:
    AbortSignal();

    // Runs every registered handler once, on the calling thread.
    void abort();
    bool isAborted() const;

    // Runs handler when abort() is called, or at once when it already was,
    // for as long as the registration lives. Handlers must be quick and must
    // not register or abort themselves.
    [[nodiscard]] AbortRegistration onAbort(std::function<void()> handler) const;

    // Throws UrlError::cancelled when aborted.
    void throwIfAborted() const;

private:
    friend class AbortRegistration;
    struct State;
    std::shared_ptr<State> state_;
};

// Keeps a handler registered with an AbortSignal; the handler is removed, and
// is no longer running, once this is destroyed.
class AbortRegistration {
public:
    AbortRegistration(const AbortRegistration&) = delete;
    AbortRegistration& operator=(const AbortRegistration&) = delete;
    AbortRegistration(AbortRegistration&& other) noexcept;
    AbortRegistration& operator=(AbortRegistration&&) = delete;
    ~AbortRegistration();

private:
    friend class AbortSignal;
    AbortRegistration(std::shared_ptr<AbortSignal::State> state, quint64 id) : state_(std::move(state)), id_(id) {}

    std::shared_ptr<AbortSignal::State> state_;
    quint64 id_;
};

// Waits for delay on the event loop, or throws UrlError::cancelled as soon as
// abort is aborted.
QCoro::Task<> waitUnlessAborted(std::chrono::milliseconds delay, AbortSignal abort);

} // namespace orvane
