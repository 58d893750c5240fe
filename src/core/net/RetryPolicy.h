#pragma once

#include "net/AbortSignal.h"
#include "net/HttpExchange.h"
#include "support/UrlError.h"

#include <QCoroTask>

#include <chrono>
#include <functional>

namespace orvane {

// What the user is told while a request waits to be tried again.
struct RetryNotice {
    // The try that comes after the wait, from 2 up to maximumAttempts.
    int nextAttempt;
    int maximumAttempts;
    std::chrono::milliseconds delay;
};

// How the Google clients try again what Google calls a passing failure: how
// often, how long to wait before each new try, and whom to tell while they
// wait. The schedule is a function so that tests wait milliseconds.
struct RetryPolicy {
    int maximumAttempts = 5;
    // The wait before the nth retry (n from 1).
    std::function<std::chrono::milliseconds(int retry)> delayBeforeRetry;
    // Told before each wait; may be empty.
    std::function<void(const RetryNotice&)> onWaiting;

    // Tells whoever listens, then waits the delay before the retryth retry;
    // an abort ends the wait with UrlError::cancelled.
    QCoro::Task<> waitBeforeRetry(int retry, AbortSignal abort) const;

    // Google's exponential back-off: 1 s, 2 s, 4 s and 8 s, each plus a random
    // jitter of up to a second, so at most five tries and about 19 s of waiting.
    static RetryPolicy exponentialBackoff();
};

// The statuses every Google API asks its clients to retry: 429 and the
// server's own failures.
bool isTransientStatus(int statusCode);

// A transport failure worth another try: the connection went before any answer.
bool isTransientFailure(const UrlError& error);

// Runs attempt until its result is not transient, or the tries run out, waiting
// the policy's delay before each new try. A transient result on the last try is
// returned for the caller to judge; a transient transport failure on the last
// try is thrown, as is every other failure at once. An abort ends the waiting
// with UrlError::cancelled.
template <typename Result>
QCoro::Task<Result> retrying(const RetryPolicy& policy, AbortSignal abort, std::function<QCoro::Task<Result>()> attempt,
                             std::function<bool(const Result&)> isTransient)
{
    for (int tries = 1;; ++tries) {
        const bool isLastTry = tries >= policy.maximumAttempts;
        try {
            Result result = co_await attempt();
            if (isLastTry || !isTransient(result))
                co_return result;
        } catch (const UrlError& error) {
            if (isLastTry || !isTransientFailure(error))
                throw;
        }
        co_await policy.waitBeforeRetry(tries, abort);
    }
}

} // namespace orvane
