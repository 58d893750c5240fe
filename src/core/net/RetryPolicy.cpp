#include "net/RetryPolicy.h"

#include <QRandomGenerator>

namespace orvane {

RetryPolicy RetryPolicy::exponentialBackoff()
{
    return {
        .maximumAttempts = 5,
        // The jitter keeps many clients that failed together from retrying together.
        .delayBeforeRetry =
            [](int retry) {
                const auto exponential = std::chrono::milliseconds(1000LL << std::clamp(retry - 1, 0, 10));
                return exponential + std::chrono::milliseconds(QRandomGenerator::global()->bounded(1001));
            },
        .onWaiting = {},
    };
}

QCoro::Task<> RetryPolicy::waitBeforeRetry(int retry, AbortSignal abort) const
{
    const std::chrono::milliseconds delay = delayBeforeRetry(retry);
    if (onWaiting)
        onWaiting({.nextAttempt = retry + 1, .maximumAttempts = maximumAttempts, .delay = delay});
    co_await waitUnlessAborted(delay, std::move(abort));
}

bool isTransientStatus(int statusCode)
{
    return statusCode == 429 || statusCode == 500 || statusCode == 502 || statusCode == 503 || statusCode == 504;
}

bool isTransientFailure(const UrlError& error)
{
    return error.code() == UrlError::Code::networkConnectionLost;
}

} // namespace orvane
