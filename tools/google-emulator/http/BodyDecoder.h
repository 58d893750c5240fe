#pragma once

#include "BodySink.h"
#include "RequestHeadParser.h"

namespace orvane::emulator {

// Takes a body off the wire as its framing says (Content-Length or chunked),
// handing the body bytes to a sink without keeping them.
class BodyDecoder {
public:
    explicit BodyDecoder(BodyFraming framing);

    // Consumes bytes of the body from data and returns how many it took; bytes past
    // the end of the body belong to the next request.
    qsizetype feed(QByteArrayView data, BodySink& sink);
    bool isComplete() const { return m_state == State::Complete; }
    bool hasFailed() const { return m_state == State::Failed; }

private:
    enum class State { Data, ChunkSize, ChunkDataEnd, Trailer, Complete, Failed };

    qsizetype feedChunkSize(QByteArrayView data);
    qsizetype feedChunkDataEnd(QByteArrayView data);
    qsizetype feedTrailer(QByteArrayView data);
    // Collects one line (at most limit bytes, ended by CRLF); true once complete.
    bool collectLine(QByteArrayView data, qsizetype& consumed, qsizetype limit);

    bool m_chunked;
    State m_state;
    qint64 m_remaining = 0;
    QByteArray m_line;
};

} // namespace orvane::emulator
