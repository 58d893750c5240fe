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
// Handle the request as usual, but close its connection once this many bytes
// of its body have arrived: the request is cut off on the way.
struct DropAfterBodyBytes {
    qint64 bytes;
};

using FaultAction = std::variant<AnswerWithStatus, Stall, DropConnection, DropAfterBodyBytes>;

// Faults injected by tests: each applies to the next count requests for a path
// (and method, when given), first injected first, after letting the first
// skip of them pass.
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
        // Matching requests that pass before the fault applies (the third
        // chunk of an upload: skip 2).
        int skip = 0;
    };

    void add(Fault fault);
    // The fault for this request, counted as used.
    std::optional<Fault> take(const QByteArray& method, const QByteArray& path);
    void clear();

private:
    QList<Fault> m_faults;
};

} // namespace orvane::emulator
