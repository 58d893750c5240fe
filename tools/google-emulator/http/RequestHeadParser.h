#pragma once

#include "HttpMessage.h"

#include <variant>

namespace orvane::emulator {

// How the body of a request is delimited on the wire.
struct BodyFraming {
    enum class Kind { None, Length, Chunked };
    Kind kind = Kind::None;
    qint64 length = 0;

    bool expectsBytes() const { return kind == Kind::Chunked || (kind == Kind::Length && length > 0); }
};

struct ParsedRequestHead {
    HttpRequestHead head;
    BodyFraming framing;
    bool expectsContinue = false;
    bool keepAlive = true;
};

// A head that breaks HTTP/1.1's rules, with the status to answer before closing.
struct RequestHeadError {
    int status;
    QByteArray reason;
};

// Parses a request head (request line and header fields, without the blank line
// that ends it). Only origin-form targets are accepted: this server is no proxy.
std::variant<ParsedRequestHead, RequestHeadError> parseRequestHead(QByteArrayView head);

} // namespace orvane::emulator
