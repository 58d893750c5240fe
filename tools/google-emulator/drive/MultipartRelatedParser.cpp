#include "MultipartRelatedParser.h"

#include "http/MediaType.h"

#include <algorithm>
#include <cstring>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype partHeaderLimit = 16 * 1024;
constexpr qsizetype transportPaddingLimit = 64;

bool isBoundaryCharacter(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("'()+_,-./:=? ").contains(c);
}

} // namespace

std::optional<QByteArray> MultipartRelatedParser::boundaryOf(QByteArrayView contentType)
{
    const std::optional<MediaType> mediaType = MediaType::parse(contentType);
    if (!mediaType || mediaType->type != "multipart/related"_ba)
        return std::nullopt;
    const std::optional<QByteArray> boundary = mediaType->parameter("boundary"_ba);
    if (!boundary || boundary->isEmpty() || boundary->size() > 70 || boundary->endsWith(' ')
        || !std::all_of(boundary->begin(), boundary->end(), isBoundaryCharacter))
        return std::nullopt;
    return boundary;
}

// The body is read as if it began with CRLF, so that a delimiter at its very start is
// found like every other one.
MultipartRelatedParser::MultipartRelatedParser(const QByteArray& boundary, Consumer& consumer)
    : m_delimiter("\r\n--"_ba + boundary), m_consumer(consumer), m_carry("\r\n"_ba)
{
}

void MultipartRelatedParser::append(QByteArrayView data)
{
    if (m_state == State::Failed)
        return;
    if (m_carry.isEmpty()) {
        const qsizetype consumed = consume(data);
        m_carry = data.sliced(consumed).toByteArray();
    } else {
        m_carry.append(data);
        const qsizetype consumed = consume(m_carry);
        m_carry.remove(0, consumed);
    }
}

void MultipartRelatedParser::finish()
{
    if (m_state == State::Preamble)
        fail(u"no boundary delimiter in the body"_s);
    else if (m_state != State::Epilogue && m_state != State::Failed)
        fail(u"the body ended before the closing boundary delimiter"_s);
}

void MultipartRelatedParser::fail(const QString& reason)
{
    if (!m_error)
        m_error = reason;
    m_state = State::Failed;
}

qsizetype MultipartRelatedParser::findDelimiter(QByteArrayView data, qsizetype from) const
{
    const void* found = memmem(data.data() + from, static_cast<size_t>(data.size() - from), m_delimiter.constData(),
                               static_cast<size_t>(m_delimiter.size()));
    return found ? static_cast<const char*>(found) - data.data() : -1;
}

// How many bytes at the end of data (not before from) could begin a delimiter that
// the next bytes complete.
qsizetype MultipartRelatedParser::heldBackLength(QByteArrayView data, qsizetype from) const
{
    const qsizetype longest = std::min(m_delimiter.size() - 1, data.size() - from);
    for (qsizetype length = longest; length > 0; --length) {
        const qsizetype start = data.size() - length;
        if (data[start] == '\r' && std::memcmp(data.data() + start, m_delimiter.constData(), static_cast<size_t>(length)) == 0)
            return length;
    }
    return 0;
}

bool MultipartRelatedParser::takeHeaderLine(QByteArrayView line)
{
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return false;
    const QByteArray name = line.first(colon).toByteArray();
    if (name.contains(' ') || name.contains('\t'))
        return false;
    m_partHeaders.append(name, line.sliced(colon + 1).trimmed().toByteArray());
    return true;
}

qsizetype MultipartRelatedParser::consume(QByteArrayView data)
{
    qsizetype position = 0;
    for (;;) {
        switch (m_state) {
        case State::Preamble: {
            const qsizetype delimiter = findDelimiter(data, position);
            if (delimiter < 0)
                return data.size() - heldBackLength(data, position);
            position = delimiter + m_delimiter.size();
            m_state = State::AfterDelimiter;
            break;
        }
        case State::AfterDelimiter: {
            if (data.size() - position < 2)
                return position;
            if (data.sliced(position, 2) == "--"_ba) {
                m_state = State::Epilogue;
                position += 2;
                break;
            }
            qsizetype lineEnd = position;
            while (lineEnd < data.size() && (data[lineEnd] == ' ' || data[lineEnd] == '\t'))
                ++lineEnd;
            if (lineEnd - position > transportPaddingLimit) {
                fail(u"a boundary delimiter is not followed by CRLF"_s);
                return data.size();
            }
            if (data.size() - lineEnd < 2)
                return position;
            if (data.sliced(lineEnd, 2) != "\r\n"_ba) {
                fail(u"a boundary delimiter is not followed by CRLF"_s);
                return data.size();
            }
            position = lineEnd + 2;
            m_partHeaders = {};
            m_partHeaderBytes = 0;
            m_state = State::PartHeaders;
            break;
        }
        case State::PartHeaders: {
            const qsizetype lineEnd = data.indexOf("\r\n"_ba, position);
            if (lineEnd < 0) {
                if (m_partHeaderBytes + data.size() - position > partHeaderLimit)
                    fail(u"the part headers are too large"_s);
                return m_state == State::Failed ? data.size() : position;
            }
            const QByteArrayView line = data.sliced(position, lineEnd - position);
            position = lineEnd + 2;
            m_partHeaderBytes += line.size() + 2;
            if (m_partHeaderBytes > partHeaderLimit) {
                fail(u"the part headers are too large"_s);
                return data.size();
            }
            if (line.isEmpty()) {
                m_state = State::PartBody;
                m_consumer.beginPart(m_partHeaders);
            } else if (!takeHeaderLine(line)) {
                fail(u"a part header line is malformed"_s);
                return data.size();
            }
            break;
        }
        case State::PartBody: {
            const qsizetype delimiter = findDelimiter(data, position);
            if (delimiter < 0) {
                const qsizetype end = data.size() - heldBackLength(data, position);
                if (end > position)
                    m_consumer.partData(data.sliced(position, end - position));
                return end;
            }
            if (delimiter > position)
                m_consumer.partData(data.sliced(position, delimiter - position));
            m_consumer.endPart();
            position = delimiter + m_delimiter.size();
            m_state = State::AfterDelimiter;
            break;
        }
        case State::Epilogue:
        case State::Failed:
            return data.size();
        }
    }
}

} // namespace orvane::emulator
