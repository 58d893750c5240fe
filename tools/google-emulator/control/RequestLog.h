#pragma once

#include "http/BodySink.h"

#include <QJsonArray>

#include <map>
#include <memory>

namespace orvane::emulator {

// Every request to the Google endpoints, for tests to inspect: method, path, raw
// query, headers, the body's size and (up to 1 MiB) its bytes, and the answer's
// status (0 while unanswered or when the connection was dropped). The body of a
// request whose connection went on the way is what arrived of it.
class RequestLog {
public:
    static constexpr qsizetype keptBodyLimit = 1024 * 1024;

    quint64 add(const HttpRequestHead& head);
    void complete(quint64 id, qint64 bodySize, const std::optional<QByteArray>& body, int status);
    QJsonArray toJson() const;
    void clear();

private:
    struct Entry {
        HttpRequestHead head;
        qint64 bodySize = 0;
        std::optional<QByteArray> body;
        int status = 0;
    };

    std::map<quint64, Entry> m_entries;
    quint64 m_nextId = 0;
};

// Passes a body through to the sink that answers it, noting it and the answer in the log.
class RecordingSink final : public BodySink {
public:
    RecordingSink(RequestLog& log, quint64 id, std::unique_ptr<BodySink> inner);
    void append(QByteArrayView piece) override;
    HttpResponse finish() override;
    // Notes the bytes that arrived, unanswered.
    void abandon() override;

private:
    RequestLog& m_log;
    quint64 m_id;
    std::unique_ptr<BodySink> m_inner;
    qint64 m_size = 0;
    QByteArray m_kept;
    bool m_keptAll = true;
};

} // namespace orvane::emulator
