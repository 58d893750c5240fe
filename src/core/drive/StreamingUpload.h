#pragma once

#include "drive/UploadFile.h"
#include "net/AbortSignal.h"
#include "net/HttpExchange.h"
#include "net/NetworkRoute.h"

#include <QByteArray>
#include <QUrl>

#include <QCoroTask>

#include <chrono>
#include <memory>
#include <optional>

namespace orvane {

// The connection an upload sends its file over: libcurl on the thread pool,
// along the route Qt's requests take to the URL (its proxy and its trusted
// authorities). Qt's network access manager moves a device's body between
// threads 16 KiB at a time, which halves the throughput of a large upload;
// libcurl reads straight from the file at the speed of the link. Requests go
// one after another and keep their connection between them, so that the
// chunks of a resumable upload do not pay for a new TCP and TLS handshake
// each.
class StreamingConnection {
public:
    // idleTimeout: how long a request may go without a byte moving, unless
    // the request names its own.
    explicit StreamingConnection(NetworkRoute route, std::chrono::milliseconds idleTimeout = requestTimeout);

    // Sends verb to url with the headers and, when given, the body, read from
    // the file as it goes out; without a body a PUT or POST announces a length
    // of 0. The idle time-out gives up when no byte moves for that long. An
    // abort ends the transfer at once, with nothing more sent. Transport
    // failures and aborts throw UrlError; a file that changes while it is sent
    // throws FileError, and its request never completes.
    QCoro::Task<HttpResponse> send(QByteArray verb, QUrl url, HttpHeaders headers, std::shared_ptr<FileRangeBody> body,
                                   AbortSignal abort = {}, std::optional<std::chrono::milliseconds> idleTimeout = {});

private:
    struct Handles;

    NetworkRoute route_;
    std::chrono::milliseconds idleTimeout_;
    // Shared with the transfer under way, which may outlive an abandoned wait.
    std::shared_ptr<Handles> handles_;
};

} // namespace orvane
