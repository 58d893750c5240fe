#pragma once

#include "FieldSelection.h"
#include "FileMetadata.h"
#include "UploadedMedia.h"
#include "http/HttpMessage.h"

#include <QHash>
#include <QJsonArray>

#include <memory>
#include <optional>

namespace orvane::emulator {

// One resumable upload as Drive keeps it between the requests of its client:
// what the file will be, and the media bytes taken so far.
struct UploadSession {
    // failed: the chunk that completed it was refused (a conversion past its limit).
    enum class State { open, complete, expired, cancelled, failed };

    UploadSession(QString id, QString clientId, FileMetadata metadata, FieldSelection selection, QString mediaType,
                  std::optional<qint64> totalBytes);

    QString id;
    QString clientId;
    FileMetadata metadata;
    // The fields the answer that completes the upload holds.
    FieldSelection selection;
    // The size announced with X-Upload-Content-Length, else by the first chunk.
    std::optional<qint64> totalBytes;
    // The bytes kept: every chunk that arrived whole, and of a chunk cut off on
    // the way its whole 256 KiB blocks.
    MediaAccumulator media;
    // Every body byte of every chunk that reached the session, bytes sent
    // again included, so that tests can count what a client sent twice.
    qint64 receivedBytes = 0;
    int chunkRequests = 0;
    State state = State::open;
    // Keeps every byte but never makes the file: the chunk that would complete
    // it, and every status question, are answered 308 with the full Range.
    bool neverFinishes = false;
    // Once complete: the answer that completed it, for a later status question.
    std::optional<HttpResponse> completion;
};

// The open and finished resumable upload sessions, by upload ID.
class UploadSessions {
public:
    // A new session under a new upload ID.
    std::shared_ptr<UploadSession> open(QString clientId, FileMetadata metadata, FieldSelection selection,
                                        QString mediaType, std::optional<qint64> totalBytes);
    std::shared_ptr<UploadSession> find(const QString& uploadId) const;
    // Every open session expires now, as Google's do after a week.
    void expireAll();
    // Every session, open now or opened later, keeps its bytes but never
    // finishes, until clear().
    void neverFinish();
    void clear();
    // For the control API: each session's ID, client, file name, announced
    // size, bytes kept and received, chunk requests and state, oldest first.
    QJsonArray toJson() const;

private:
    QList<std::shared_ptr<UploadSession>> m_sessions;
    QHash<QString, std::shared_ptr<UploadSession>> m_byId;
    bool m_neverFinish = false;
};

} // namespace orvane::emulator
