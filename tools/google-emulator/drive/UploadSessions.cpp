#include "UploadSessions.h"

#include "GoogleIds.h"

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

namespace {

QString stateName(UploadSession::State state)
{
    switch (state) {
    case UploadSession::State::open: return u"open"_s;
    case UploadSession::State::complete: return u"complete"_s;
    case UploadSession::State::expired: return u"expired"_s;
    case UploadSession::State::cancelled: return u"cancelled"_s;
    case UploadSession::State::failed: return u"failed"_s;
    }
    return {};
}

} // namespace

UploadSession::UploadSession(QString id, QString clientId, FileMetadata metadata, FieldSelection selection,
                             QString mediaType, std::optional<qint64> totalBytes)
    : id(std::move(id)), clientId(std::move(clientId)), metadata(std::move(metadata)), selection(std::move(selection)),
      totalBytes(totalBytes), media(std::move(mediaType))
{
}

std::shared_ptr<UploadSession> UploadSessions::open(QString clientId, FileMetadata metadata, FieldSelection selection,
                                                    QString mediaType, std::optional<qint64> totalBytes)
{
    auto session = std::make_shared<UploadSession>(ids::newUploadId(), std::move(clientId), std::move(metadata),
                                                   std::move(selection), std::move(mediaType), totalBytes);
    session->neverFinishes = m_neverFinish;
    m_sessions.append(session);
    m_byId.insert(session->id, session);
    return session;
}

std::shared_ptr<UploadSession> UploadSessions::find(const QString& uploadId) const
{
    return m_byId.value(uploadId);
}

void UploadSessions::expireAll()
{
    for (const std::shared_ptr<UploadSession>& session : m_sessions) {
        if (session->state == UploadSession::State::open)
            session->state = UploadSession::State::expired;
    }
}

void UploadSessions::neverFinish()
{
    m_neverFinish = true;
    for (const std::shared_ptr<UploadSession>& session : m_sessions)
        session->neverFinishes = true;
}

void UploadSessions::clear()
{
    // A chunk still arriving keeps its session alive, unseen.
    m_sessions.clear();
    m_byId.clear();
    m_neverFinish = false;
}

QJsonArray UploadSessions::toJson() const
{
    QJsonArray sessions;
    for (const std::shared_ptr<UploadSession>& session : m_sessions) {
        QJsonObject entry{
            {u"uploadId"_s, session->id},
            {u"clientId"_s, session->clientId},
            {u"name"_s, session->metadata.name.value_or(QString())},
            {u"persistedBytes"_s, session->media.size()},
            {u"receivedBytes"_s, session->receivedBytes},
            {u"chunkRequests"_s, session->chunkRequests},
            {u"state"_s, stateName(session->state)},
        };
        if (session->totalBytes)
            entry.insert(u"totalBytes"_s, *session->totalBytes);
        sessions.append(entry);
    }
    return sessions;
}

} // namespace orvane::emulator
