#pragma once

#include "net/RetryPolicy.h"

#include <QList>

namespace orvane::testsupport {

// Google's retry policy with its schedule but without its seconds: every wait
// lasts a millisecond, while the notices in waits (when given) carry the
// delays the schedule asked for, for tests to read.
inline RetryPolicy quickRetries(QList<RetryNotice>* waits = nullptr)
{
    RetryPolicy policy = RetryPolicy::exponentialBackoff();
    policy.actualWait = [](std::chrono::milliseconds) { return std::chrono::milliseconds(1); };
    if (waits)
        policy.onWaiting = [waits](const RetryNotice& notice) { waits->append(notice); };
    return policy;
}

} // namespace orvane::testsupport
