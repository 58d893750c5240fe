#include "RequestLog.h"

#include <QJsonObject>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

quint64 RequestLog::add(const HttpRequestHead& head)
{
    const quint64 id = m_nextId++;
    m_entries.emplace(id, Entry{.head = head, .bodySize = 0, .body = std::nullopt, .status = 0});
    return id;
}

void RequestLog::complete(quint64 id, qint64 bodySize, const std::optional<QByteArray>& body, int status)
{
    // A request that was under way when the log was cleared is not brought back.
    const auto entry = m_entries.find(id);
    if (entry == m_entries.end())
        return;
    entry->second.bodySize = bodySize;
    entry->second.body = body;
    entry->second.status = status;
}

QJsonArray RequestLog::toJson() const
{
    QJsonArray requests;
    for (const auto& [id, entry] : m_entries) {
        QJsonArray headers;
        for (const HttpHeader& field : entry.head.headers.fields())
            headers.append(QJsonObject{{u"name"_s, QString::fromLatin1(field.name)}, {u"value"_s, QString::fromLatin1(field.value)}});
        QJsonObject request{
            {u"method"_s, QString::fromLatin1(entry.head.method)},
            {u"path"_s, QString::fromLatin1(entry.head.path)},
            {u"query"_s, QString::fromLatin1(entry.head.query)},
            {u"headers"_s, headers},
            {u"bodySize"_s, entry.bodySize},
            {u"status"_s, entry.status},
        };
        if (entry.body)
            request.insert(u"body"_s, QString::fromLatin1(entry.body->toBase64()));
        requests.append(request);
    }
    return requests;
}

void RequestLog::clear()
{
    m_entries.clear();
}

RecordingSink::RecordingSink(RequestLog& log, quint64 id, std::unique_ptr<BodySink> inner)
    : m_log(log), m_id(id), m_inner(std::move(inner))
{
}

void RecordingSink::append(QByteArrayView piece)
{
    m_size += piece.size();
    if (m_keptAll && m_kept.size() + piece.size() <= RequestLog::keptBodyLimit) {
        m_kept.append(piece);
    } else if (m_keptAll) {
        m_keptAll = false;
        m_kept = QByteArray();
    }
    m_inner->append(piece);
}

HttpResponse RecordingSink::finish()
{
    HttpResponse response = m_inner->finish();
    m_log.complete(m_id, m_size, m_keptAll ? std::optional(m_kept) : std::nullopt,
                   response.closesWithoutAnswer ? 0 : response.status);
    return response;
}

void RecordingSink::abandon()
{
    m_inner->abandon();
    m_log.complete(m_id, m_size, m_keptAll ? std::optional(m_kept) : std::nullopt, 0);
}

} // namespace orvane::emulator
