#include "instance/InstanceRequestReader.h"

namespace orvane {

InstanceRequestReader::State InstanceRequestReader::append(QByteArrayView bytes)
{
    if (state_ != State::reading)
        return state_;
    message_.append(bytes);
    const qsizetype end = message_.indexOf(InstanceRequest::terminator);
    if (end < 0) {
        if (message_.size() > InstanceRequest::maximumEncodedSize)
            state_ = State::refused;
        return state_;
    }
    // The sender waits for the answer after its one line.
    if (end != message_.size() - 1) {
        state_ = State::refused;
        return state_;
    }
    request_ = InstanceRequest::decode(message_.first(end));
    state_ = request_ ? State::complete : State::refused;
    return state_;
}

} // namespace orvane
