#include "BodyDecoder.h"

#include <algorithm>
#include <cctype>

namespace orvane::emulator {

namespace {

constexpr qsizetype chunkSizeLineLimit = 1024;
constexpr qsizetype trailerLineLimit = 8192;

std::optional<qint64> parseChunkSize(QByteArrayView line)
{
    const qsizetype extension = line.indexOf(';');
    const QByteArrayView digits = extension < 0 ? line : line.first(extension);
    if (digits.isEmpty() || digits.size() > 15)
        return std::nullopt;
    bool ok = false;
    const qint64 size = digits.toLongLong(&ok, 16);
    const bool onlyHexDigits = std::all_of(digits.begin(), digits.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
    return ok && onlyHexDigits ? std::optional(size) : std::nullopt;
}

} // namespace

BodyDecoder::BodyDecoder(BodyFraming framing)
    : m_chunked(framing.kind == BodyFraming::Kind::Chunked)
    , m_state(m_chunked ? State::ChunkSize : (framing.length > 0 ? State::Data : State::Complete))
    , m_remaining(m_chunked ? 0 : framing.length)
{
}

qsizetype BodyDecoder::feed(QByteArrayView data, BodySink& sink)
{
    qsizetype consumed = 0;
    while (consumed < data.size() && m_state != State::Complete && m_state != State::Failed) {
        const QByteArrayView rest = data.sliced(consumed);
        switch (m_state) {
        case State::Data: {
            const qsizetype piece = static_cast<qsizetype>(std::min<qint64>(m_remaining, rest.size()));
            sink.append(rest.first(piece));
            consumed += piece;
            m_remaining -= piece;
            if (m_remaining == 0)
                m_state = m_chunked ? State::ChunkDataEnd : State::Complete;
            break;
        }
        case State::ChunkSize: consumed += feedChunkSize(rest); break;
        case State::ChunkDataEnd: consumed += feedChunkDataEnd(rest); break;
        case State::Trailer: consumed += feedTrailer(rest); break;
        case State::Complete:
        case State::Failed: break;
        }
    }
    return consumed;
}

bool BodyDecoder::collectLine(QByteArrayView data, qsizetype& consumed, qsizetype limit)
{
    const qsizetype newline = data.indexOf('\n');
    const qsizetype taken = newline < 0 ? data.size() : newline + 1;
    m_line.append(data.first(taken));
    consumed = taken;
    if (m_line.size() > limit) {
        m_state = State::Failed;
        return false;
    }
    if (newline < 0)
        return false;
    if (!m_line.endsWith("\r\n")) {
        m_state = State::Failed;
        return false;
    }
    m_line.chop(2);
    return true;
}

qsizetype BodyDecoder::feedChunkSize(QByteArrayView data)
{
    qsizetype consumed = 0;
    if (!collectLine(data, consumed, chunkSizeLineLimit))
        return consumed;
    const std::optional<qint64> size = parseChunkSize(m_line);
    m_line.clear();
    if (!size) {
        m_state = State::Failed;
    } else if (*size == 0) {
        m_state = State::Trailer;
    } else {
        m_remaining = *size;
        m_state = State::Data;
    }
    return consumed;
}

qsizetype BodyDecoder::feedChunkDataEnd(QByteArrayView data)
{
    qsizetype consumed = 0;
    if (!collectLine(data, consumed, 2))
        return consumed;
    m_state = m_line.isEmpty() ? State::ChunkSize : State::Failed;
    m_line.clear();
    return consumed;
}

qsizetype BodyDecoder::feedTrailer(QByteArrayView data)
{
    qsizetype consumed = 0;
    if (!collectLine(data, consumed, trailerLineLimit))
        return consumed;
    if (m_line.isEmpty())
        m_state = State::Complete;
    m_line.clear();
    return consumed;
}

} // namespace orvane::emulator
