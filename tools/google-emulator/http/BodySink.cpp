#include "BodySink.h"

#include <algorithm>

namespace orvane::emulator {

BufferedBodySink::BufferedBodySink(qsizetype limit, Handler handler, HttpResponse tooLarge)
    : m_limit(limit), m_handler(std::move(handler)), m_tooLarge(std::move(tooLarge))
{
}

void BufferedBodySink::append(QByteArrayView piece)
{
    if (m_exceeded)
        return;
    if (m_body.size() + piece.size() > m_limit) {
        m_exceeded = true;
        m_body.clear();
        return;
    }
    m_body.append(piece);
}

HttpResponse BufferedBodySink::finish()
{
    return m_exceeded ? std::move(m_tooLarge) : m_handler(m_body);
}

void RefusalGuardSink::append(QByteArrayView piece)
{
    if (m_refusal)
        return;
    try {
        m_inner->append(piece);
    } catch (const RequestRefused& refusal) {
        m_refusal = refusal.response();
    }
}

HttpResponse RefusalGuardSink::finish()
{
    if (m_refusal)
        return std::move(*m_refusal);
    try {
        return m_inner->finish();
    } catch (const RequestRefused& refusal) {
        return refusal.response();
    }
}

void ConnectionDroppingSink::append(QByteArrayView piece)
{
    if (m_remaining == 0)
        return;
    const QByteArrayView taken = piece.first(qsizetype(std::min<qint64>(piece.size(), m_remaining)));
    m_remaining -= taken.size();
    m_inner->append(taken);
}

HttpResponse ConnectionDroppingSink::finish()
{
    // A body shorter than the cut-off point arrived whole: the drop comes
    // instead of the answer.
    m_remaining = 0;
    m_inner->abandon();
    HttpResponse nothing;
    nothing.status = 0;
    nothing.closesWithoutAnswer = true;
    return nothing;
}

} // namespace orvane::emulator
