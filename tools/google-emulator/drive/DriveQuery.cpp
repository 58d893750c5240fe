#include "DriveQuery.h"

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

namespace {

class QueryReader {
public:
    explicit QueryReader(QStringView text) : m_text(text) {}

    bool atEnd()
    {
        skipBlanks();
        return m_position >= m_text.size();
    }

    // A bare word: letters only, as field names and keywords are.
    std::optional<QString> word()
    {
        skipBlanks();
        const qsizetype start = m_position;
        while (m_position < m_text.size() && m_text[m_position].isLetter() && m_text[m_position].unicode() < 0x80)
            ++m_position;
        if (m_position == start)
            return std::nullopt;
        return m_text.sliced(start, m_position - start).toString();
    }

    // "=" or "!=": true for equality.
    std::optional<bool> comparison()
    {
        skipBlanks();
        if (m_text.sliced(m_position).startsWith(u'=')) {
            m_position += 1;
            return true;
        }
        if (m_text.sliced(m_position).startsWith(u"!=")) {
            m_position += 2;
            return false;
        }
        return std::nullopt;
    }

    // One punctuation character such as "{".
    bool symbol(QChar expected)
    {
        skipBlanks();
        if (m_position >= m_text.size() || m_text[m_position] != expected)
            return false;
        ++m_position;
        return true;
    }

    bool nextIsString()
    {
        skipBlanks();
        return m_position < m_text.size() && m_text[m_position] == u'\'';
    }

    std::optional<QString> string()
    {
        skipBlanks();
        if (m_position >= m_text.size() || m_text[m_position] != u'\'')
            return std::nullopt;
        QString value;
        for (++m_position; m_position < m_text.size(); ++m_position) {
            const QChar c = m_text[m_position];
            if (c == u'\'') {
                ++m_position;
                return value;
            }
            if (c == u'\\') {
                if (++m_position >= m_text.size())
                    return std::nullopt;
                const QChar escaped = m_text[m_position];
                if (escaped != u'\'' && escaped != u'\\')
                    return std::nullopt;
                value += escaped;
            } else {
                value += c;
            }
        }
        return std::nullopt;
    }

private:
    void skipBlanks()
    {
        while (m_position < m_text.size() && m_text[m_position] == u' ')
            ++m_position;
    }

    QStringView m_text;
    qsizetype m_position = 0;
};

// "{ key='<k>' and value='<v>' }", after "appProperties has".
std::optional<DriveQuery::Term> readAppProperty(QueryReader& reader)
{
    if (!reader.symbol(u'{') || reader.word() != u"key"_s || reader.comparison() != true)
        return std::nullopt;
    const std::optional<QString> key = reader.string();
    if (!key || reader.word() != u"and"_s || reader.word() != u"value"_s || reader.comparison() != true)
        return std::nullopt;
    const std::optional<QString> value = reader.string();
    if (!value || !reader.symbol(u'}'))
        return std::nullopt;
    return DriveQuery::AppPropertyIs{*key, *value};
}

std::optional<DriveQuery::Term> readTerm(QueryReader& reader)
{
    if (reader.nextIsString()) {
        const std::optional<QString> folderId = reader.string();
        if (!folderId || reader.word() != u"in"_s || reader.word() != u"parents"_s)
            return std::nullopt;
        return DriveQuery::InParents{*folderId};
    }
    const std::optional<QString> field = reader.word();
    if (!field)
        return std::nullopt;
    if (*field == u"appProperties"_s)
        return reader.word() == u"has"_s ? readAppProperty(reader) : std::nullopt;
    const std::optional<bool> equal = reader.comparison();
    if (!equal)
        return std::nullopt;
    if (*field == u"trashed"_s) {
        const std::optional<QString> value = reader.word();
        if (value != u"true"_s && value != u"false"_s)
            return std::nullopt;
        return DriveQuery::TrashedIs{*value == u"true"_s, *equal};
    }
    const std::optional<QString> value = reader.string();
    if (!value)
        return std::nullopt;
    if (*field == u"mimeType"_s)
        return DriveQuery::MimeTypeIs{*value, *equal};
    if (*field == u"name"_s)
        return DriveQuery::NameIs{*value, *equal};
    return std::nullopt;
}

} // namespace

std::optional<DriveQuery> DriveQuery::parse(QStringView text)
{
    DriveQuery query;
    QueryReader reader(text);
    if (reader.atEnd())
        return query;
    for (;;) {
        std::optional<Term> term = readTerm(reader);
        if (!term)
            return std::nullopt;
        query.m_terms.append(std::move(*term));
        if (reader.atEnd())
            return query;
        if (reader.word() != u"and"_s)
            return std::nullopt;
    }
}

} // namespace orvane::emulator
