#pragma once

#include <QByteArray>
#include <QList>

#include <chrono>
#include <optional>
#include <variant>

namespace orvane::emulator {

// Answer with this status instead of handling the request: with the given
// body, or else with Google's error object carrying reason and message (both
// optional; a default follows from the status).
struct AnswerWithStatus {
    int status;
    QByteArray body;
    QByteArray contentType;
    QString reason;
    QString message;
};
// Hold the request this long, then handle it as usual.
struct Stall {
    std::chrono::milliseconds duration;
};
// Close the connection without an answer.
struct DropConnection {};

using FaultAction = std::variant<AnswerWithStatus, Stall, DropConnection>;

// Faults injected by tests: each applies to the next count requests for a path
// (and method, when given), first injected first.
class FaultPlan {
public:
    struct Fault {
        QByteArray path;
        QByteArray method; // empty: any method
        int remaining;
        FaultAction action;
        // A status or drop after the request was handled as usual: the server
        // did the work, and the client hears a failure or nothing.
        bool afterHandling = false;
    };

    void add(Fault fault);
    // The fault for this request, counted as used.
    std::optional<Fault> take(const QByteArray& method, const QByteArray& path);
    void clear();

private:
    QList<Fault> m_faults;
};

} // namespace orvane::emulator
