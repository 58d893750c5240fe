#pragma once

#include "net/AbortSignal.h"
#include "net/HttpExchange.h"
#include "support/UrlError.h"

#include <QCoroTask>

#include <chrono>
#include <functional>
#include <optional>

namespace orvane {

// What the user is told while a request waits to be tried again.
struct RetryNotice {
    // The try that comes after the wait, from 2 up to maximumAttempts.
    int nextAttempt;
    int maximumAttempts;
    std::chrono::milliseconds delay;
};

// The kinds of failure Google asks its clients to try again. Rate limits get
// more tries: Drive's quotas are counted per minute, so a client that gives up
// within seconds gives up while the quota is still spent.
enum class PassingFailure { transient, rateLimited };

// How the Google clients try again what Google calls a passing failure: how
// often, how long to wait before each new try, and whom to tell while they
// wait.
struct RetryPolicy {
    int maximumAttempts = 5;
    int maximumRateLimitedAttempts = 7;
    // The schedule: the wait before the nth retry (n from 1), as told to onWaiting.
    std::function<std::chrono::milliseconds(int retry)> delayBeforeRetry;
    // How long a wait of the schedule really lasts; empty: as long as
    // scheduled. Tests keep the schedule, and read it, but wait a millisecond.
    std::function<std::chrono::milliseconds(std::chrono::milliseconds scheduled)> actualWait;
    // Told before each wait; may be empty.
    std::function<void(const RetryNotice&)> onWaiting;

    int maximumAttemptsFor(PassingFailure failure) const
    {
        return failure == PassingFailure::rateLimited ? maximumRateLimitedAttempts : maximumAttempts;
    }

    // Google's truncated exponential back-off: 1 s, 2 s, 4 s, 8 s, 16 s, then
    // 32 s, each plus a random jitter of up to a second but never over 32 s.
    // Five tries, about 19 s of waiting, for a passing failure; seven, about a
    // minute, for a rate limit.
    static RetryPolicy exponentialBackoff();
};

// The tries of one request, whatever layer tries it again: a step that
// retries and calls a lookup that retries spends one budget, so the user sees
// one count of tries and the waits never multiply.
class RetryBudget {
public:
    RetryBudget(const RetryPolicy& policy, AbortSignal abort);

    // Whether the try that just failed so may be followed by another.
    bool hasTryLeft(PassingFailure failure) const;
    // Tells whoever listens, then waits the schedule's delay before the next
    // try; an abort ends the wait with UrlError::cancelled.
    QCoro::Task<> waitBeforeNextTry(PassingFailure failure);
    // The request moved on (a chunk was kept): its next failure starts a new count.
    void startAfresh() { tries_ = 1; }

private:
    const RetryPolicy* policy_;
    AbortSignal abort_;
    // The try under way, from 1.
    int tries_ = 1;
};

// Which passing failure an HTTP status is, if any: 429 is a rate limit; the
// server's own failures are transient.
std::optional<PassingFailure> passingFailureOfStatus(int statusCode);

// A transport failure worth another try: the connection went before any answer.
bool isTransientFailure(const UrlError& error);

// Runs attempt until its result is no passing failure, or the budget runs out,
// waiting the budget's delay before each new try. A passing failure on the
// last try is returned for the caller to judge; a transient transport failure
// on the last try is thrown, as is every other failure at once. An abort ends
// the waiting with UrlError::cancelled.
template <typename Result>
QCoro::Task<Result> retrying(RetryBudget& budget, std::function<QCoro::Task<Result>()> attempt,
                             std::function<std::optional<PassingFailure>(const Result&)> passingFailureOf)
{
    for (;;) {
        PassingFailure failure = PassingFailure::transient;
        try {
            Result result = co_await attempt();
            const std::optional<PassingFailure> passing = passingFailureOf(result);
            if (!passing || !budget.hasTryLeft(*passing))
                co_return result;
            failure = *passing;
        } catch (const UrlError& error) {
            if (!isTransientFailure(error) || !budget.hasTryLeft(PassingFailure::transient))
                throw;
        }
        co_await budget.waitBeforeNextTry(failure);
    }
}

} // namespace orvane
