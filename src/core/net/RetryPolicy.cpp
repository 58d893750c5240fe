#include "net/RetryPolicy.h"

#include <QRandomGenerator>

#include <algorithm>

namespace orvane {

namespace {

// Google's ceiling for one wait of the back-off.
constexpr std::chrono::milliseconds longestWait{std::chrono::seconds(32)};

} // namespace

RetryPolicy RetryPolicy::exponentialBackoff()
{
    return {
        .maximumAttempts = 5,
        .maximumRateLimitedAttempts = 7,
        // The jitter keeps many clients that failed together from retrying together.
        .delayBeforeRetry =
            [](int retry) {
                const auto exponential = std::chrono::milliseconds(1000LL << std::clamp(retry - 1, 0, 5));
                const auto jitter = std::chrono::milliseconds(QRandomGenerator::global()->bounded(1001));
                return std::min(exponential + jitter, longestWait);
            },
        .actualWait = {},
        .onWaiting = {},
    };
}

RetryBudget::RetryBudget(const RetryPolicy& policy, AbortSignal abort) : policy_(&policy), abort_(std::move(abort)) {}

bool RetryBudget::hasTryLeft(PassingFailure failure) const
{
    return tries_ < policy_->maximumAttemptsFor(failure);
}

QCoro::Task<> RetryBudget::waitBeforeNextTry(PassingFailure failure)
{
    const std::chrono::milliseconds delay = policy_->delayBeforeRetry(tries_);
    ++tries_;
    if (policy_->onWaiting)
        policy_->onWaiting({.nextAttempt = tries_, .maximumAttempts = policy_->maximumAttemptsFor(failure), .delay = delay});
    co_await waitUnlessAborted(policy_->actualWait ? policy_->actualWait(delay) : delay, abort_);
}

std::optional<PassingFailure> passingFailureOfStatus(int statusCode)
{
    if (statusCode == 429)
        return PassingFailure::rateLimited;
    if (statusCode == 500 || statusCode == 502 || statusCode == 503 || statusCode == 504)
        return PassingFailure::transient;
    return std::nullopt;
}

bool isTransientFailure(const UrlError& error)
{
    return error.code() == UrlError::Code::networkConnectionLost;
}

} // namespace orvane
