#include "MediaType.h"

#include <algorithm>

namespace orvane::emulator {

namespace {

bool isTokenCharacter(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isTokenCharacter);
}

class Reader {
public:
    explicit Reader(QByteArrayView text) : m_text(text) {}
    bool atEnd() const { return m_position >= m_text.size(); }
    char peek() const { return m_text[m_position]; }
    void skipWhitespace()
    {
        while (!atEnd() && (peek() == ' ' || peek() == '\t'))
            ++m_position;
    }
    bool take(char c)
    {
        if (atEnd() || peek() != c)
            return false;
        ++m_position;
        return true;
    }
    QByteArrayView token()
    {
        const qsizetype start = m_position;
        while (!atEnd() && isTokenCharacter(peek()))
            ++m_position;
        return m_text.sliced(start, m_position - start);
    }
    std::optional<QByteArray> quotedString()
    {
        QByteArray value;
        while (!atEnd()) {
            const char c = m_text[m_position++];
            if (c == '"')
                return value;
            if (c == '\\') {
                if (atEnd())
                    return std::nullopt;
                value += m_text[m_position++];
            } else {
                value += c;
            }
        }
        return std::nullopt;
    }

private:
    QByteArrayView m_text;
    qsizetype m_position = 0;
};

} // namespace

std::optional<MediaType> MediaType::parse(QByteArrayView text)
{
    Reader reader(text);
    reader.skipWhitespace();
    const QByteArrayView type = reader.token();
    if (!reader.take('/'))
        return std::nullopt;
    const QByteArrayView subtype = reader.token();
    if (!isToken(type) || !isToken(subtype))
        return std::nullopt;
    MediaType mediaType{.type = (type.toByteArray() + '/' + subtype.toByteArray()).toLower(), .parameters = {}};
    reader.skipWhitespace();
    while (reader.take(';')) {
        reader.skipWhitespace();
        const QByteArrayView name = reader.token();
        if (!isToken(name) || !reader.take('='))
            return std::nullopt;
        std::optional<QByteArray> value;
        if (reader.take('"')) {
            value = reader.quotedString();
        } else if (const QByteArrayView token = reader.token(); isToken(token)) {
            value = token.toByteArray();
        }
        if (!value)
            return std::nullopt;
        mediaType.parameters.append({name.toByteArray().toLower(), *value});
        reader.skipWhitespace();
    }
    if (!reader.atEnd())
        return std::nullopt;
    return mediaType;
}

std::optional<QByteArray> MediaType::parameter(QByteArrayView name) const
{
    for (const auto& [parameterName, value] : parameters) {
        if (parameterName == name)
            return value;
    }
    return std::nullopt;
}

} // namespace orvane::emulator
