#pragma once

#include "net/RetryPolicy.h"

#include <QList>

namespace orvane::testsupport {

// Google's retry policy without its seconds: five tries, a millisecond apart,
// each wait noted in waits when given.
inline RetryPolicy quickRetries(QList<RetryNotice>* waits = nullptr)
{
    RetryPolicy policy = RetryPolicy::exponentialBackoff();
    policy.delayBeforeRetry = [](int) { return std::chrono::milliseconds(1); };
    if (waits)
        policy.onWaiting = [waits](const RetryNotice& notice) { waits->append(notice); };
    return policy;
}

} // namespace orvane::testsupport
