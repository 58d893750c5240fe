#include "net/AbortSignal.h"

#include "support/UrlError.h"

#include <QPointer>
#include <QTimer>

#include <QCoroTimer>

#include <atomic>
#include <map>
#include <mutex>

namespace orvane {

struct AbortSignal::State {
    std::mutex mutex;
    std::atomic<bool> aborted{false};
    std::map<quint64, std::function<void()>> handlers;
    quint64 nextId = 0;
};

AbortSignal::AbortSignal() : state_(std::make_shared<State>()) {}

void AbortSignal::abort()
{
    // Handlers run under the lock, so that a registration being destroyed on
    // another thread waits until its handler has returned.
    const std::lock_guard lock(state_->mutex);
    if (state_->aborted.exchange(true))
        return;
    for (const auto& [id, handler] : state_->handlers)
        handler();
}

bool AbortSignal::isAborted() const
{
    return state_->aborted.load();
}

AbortRegistration AbortSignal::onAbort(std::function<void()> handler) const
{
    const std::lock_guard lock(state_->mutex);
    const quint64 id = state_->nextId++;
    if (state_->aborted.load())
        handler();
    else
        state_->handlers.emplace(id, std::move(handler));
    return AbortRegistration(state_, id);
}

void AbortSignal::throwIfAborted() const
{
    if (isAborted())
        throw UrlError(UrlError::Code::cancelled);
}

AbortRegistration::AbortRegistration(AbortRegistration&& other) noexcept
    : state_(std::move(other.state_)), id_(other.id_)
{
}

AbortRegistration::~AbortRegistration()
{
    if (!state_)
        return;
    const std::lock_guard lock(state_->mutex);
    state_->handlers.erase(id_);
}

QCoro::Task<> waitUnlessAborted(std::chrono::milliseconds delay, AbortSignal abort)
{
    abort.throwIfAborted();
    QTimer timer;
    timer.setSingleShot(true);
    // An abort from any thread ends the wait at once, on the timer's own thread.
    const AbortRegistration endWaitOnAbort = abort.onAbort([timer = QPointer<QTimer>(&timer)] {
        QMetaObject::invokeMethod(timer, [timer] { timer->start(0); }, Qt::QueuedConnection);
    });
    timer.start(delay);
    co_await timer;
    abort.throwIfAborted();
}

} // namespace orvane
