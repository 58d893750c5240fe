#pragma once

#include <QByteArrayView>
#include <QUrl>

namespace orvane {

// What the first bytes a connection sends to the loopback redirect listener
// come to: only the request line counts, as in
// "GET /oauth2redirect?state=...&code=... HTTP/1.1". Any local process or web
// page can connect, so the bytes may be anything.
struct RedirectRequestLine {
    // The line with its CRLF; Google's redirects are far shorter, and a longer
    // one is not read at all.
    static constexpr qsizetype maximumBytes = 8192;

    enum class Status {
        // No CRLF yet within maximumBytes: more bytes may complete the line.
        incomplete,
        // The line names a target: callbackURL is "http://127.0.0.1" and that target.
        callback,
        // Anything else: no target, not UTF-8, not a URL, or too long.
        unreadable,
    };

    Status status = Status::incomplete;
    QUrl callbackURL;

    // Neither method nor path is judged: the OAuth client checks what the
    // query holds.
    static RedirectRequestLine read(QByteArrayView received);
};

} // namespace orvane
