#include "BodySink.h"

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

} // namespace orvane::emulator
