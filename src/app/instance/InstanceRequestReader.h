#pragma once

#include "instance/InstanceRequest.h"

#include <QByteArrayView>

#include <optional>

namespace orvane {

// Reads one request from the bytes a later process sends over the socket, in
// whatever pieces they arrive. The sender is another program and may be
// anything: a message that grows past InstanceRequest::maximumEncodedSize,
// goes on after its terminator, or is no request is refused.
class InstanceRequestReader {
public:
    enum class State { reading, complete, refused };

    // Takes the next bytes; once complete or refused, nothing more is read.
    State append(QByteArrayView bytes);
    State state() const { return state_; }
    // Present once complete.
    const std::optional<InstanceRequest>& request() const { return request_; }

private:
    QByteArray message_;
    State state_ = State::reading;
    std::optional<InstanceRequest> request_;
};

} // namespace orvane
