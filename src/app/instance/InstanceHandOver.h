#pragma once

#include "instance/InstanceAddress.h"
#include "instance/InstanceRequest.h"

#include <chrono>
#include <functional>
#include <optional>

namespace orvane {

class InstanceLock;

// Hands a start's request to the user's running Orvane and waits until it
// says it holds the request; a request too large for one message goes in
// several, in order, each taken before the next is sent. While an Orvane is starting (not listening yet)
// or quitting (closing connections unanswered), it tries again, so a file
// is never handed to a process that then drops it. A start that gives up
// leaves nothing behind: an answer that comes later finds the connection
// shut and the running Orvane drops the request. Plain blocking calls and
// no Qt event loop: the application runs this before it makes its GUI, so a
// burst of starts makes one GUI process.
class InstanceHandOver {
public:
    enum class Outcome {
        // The running Orvane holds the request.
        handedOver,
        // No Orvane runs: the caller starts one (or, with a lock, is it now).
        noneRunning,
        // An Orvane runs but did not take the request within patience.
        unanswered,
    };

    static constexpr std::chrono::milliseconds defaultPatience{30'000};
    static constexpr std::chrono::milliseconds retryInterval{20};

    InstanceHandOver(InstanceAddress address, const InstanceRequest& request,
                     std::chrono::milliseconds patience = defaultPatience);

    // How a start ends after outcome: with status 0 once the request is
    // handed over, with 1 and a message on standard error when it is
    // unanswered (saying how many files were taken before); nothing when the
    // start goes on to run Orvane.
    std::optional<int> exitStatusAfter(Outcome outcome) const;

    // For the launcher: noneRunning when nobody holds the lock.
    Outcome handOver();
    // For the application: noneRunning once this process holds lock, or
    // when no lock can be had at all (it then runs unguarded, alone).
    Outcome handOverOrLock(InstanceLock& lock);
    // The files the running Orvane has not taken: after noneRunning, the
    // ones this start opens itself (an Orvane that quit between two parts
    // kept the parts it took).
    InstanceRequest notHandedOver() const;

    // One try with the next part: connect, send, wait for the
    // acknowledgement until deadline. False when nobody listens, the running
    // Orvane's queue of connections is full, it closes the connection without
    // answering, or its answer has not come by deadline.
    bool tryOnce(std::chrono::steady_clock::time_point deadline);

private:
    Outcome run(const std::function<bool()>& isNoneRunning);
    bool sendAndAwaitAnswer(const QByteArray& message, std::chrono::steady_clock::time_point deadline) const;

    InstanceAddress address_;
    QList<InstanceRequest> parts_;
    qsizetype partsHandedOver_ = 0;
    std::chrono::milliseconds patience_;
};

} // namespace orvane
