#pragma once

#include <QTcpServer>
#include <QTimer>
#include <QUrl>

#include <QCoroTask>

#include <chrono>
#include <coroutine>
#include <optional>

class QTcpSocket;

namespace orvane {

struct RedirectRequestLine;

// A one-shot HTTP listener on 127.0.0.1 that receives the browser's redirect
// at the end of a Google sign-in and answers it with a small page. It listens
// on the loopback address only, so no other host can reach it to inject or
// spoil the callback. Everything runs on the event loop of the thread that owns
// the server, which is what keeps its state consistent without locks.
//
// Made for one sign-in: start() once, waitForCallback() at most once, stop().
class LoopbackRedirectServer {
public:
    // A connection whose request line has not arrived (or whose page has not
    // been taken) within requestReadLimit is closed, so a silent or slow
    // connection holds nothing; one that began its line gets the failure
    // page first.
    explicit LoopbackRedirectServer(std::chrono::milliseconds requestReadLimit = std::chrono::seconds(5));
    LoopbackRedirectServer(const LoopbackRedirectServer&) = delete;
    LoopbackRedirectServer& operator=(const LoopbackRedirectServer&) = delete;

    // Starts listening on a free port and returns the redirect URL,
    // http://127.0.0.1:<port>/oauth2redirect. Throws UrlError cannotConnectToHost
    // when no port can be had.
    QUrl start();

    // The URL of the first request that names a target, made from
    // "http://127.0.0.1" and that target, whatever its path. A request that
    // came before the wait is delivered at once. Throws UrlError timedOut when
    // none arrives within timeout. The server must outlive the wait.
    QCoro::Task<QUrl> waitForCallback(std::chrono::milliseconds timeout);

    // Stops listening and cancels the time-out; called when no wait is in progress.
    void stop();

private:
    struct ResultAwaiter;

    void acceptConnections();
    void answer(QTcpSocket* socket, const RedirectRequestLine& requestLine);
    void endUnfinished(QTcpSocket* socket);
    void deliverCallback(const QUrl& url);
    void timeOut();
    void resumeWaiter();

    std::chrono::milliseconds requestReadLimit_;
    QTimer timeoutTimer_;
    std::coroutine_handle<> waiter_;
    std::optional<QUrl> pendingCallbackURL_;
    // The waiter's result: the callback URL, or nothing when the wait timed out.
    std::optional<QUrl> result_;
    // Set once a result has been handed to the waiter: later requests still
    // get their page but change nothing.
    bool isCompleted_ = false;
    // Declared last so that it goes first: its connections' handlers use the state above.
    QTcpServer listener_;
};

} // namespace orvane
