#include "ResumableUploads.h"

#include "DriveResources.h"
#include "GoogleErrors.h"
#include "RequestChecks.h"
#include "http/MediaType.h"

#include <QRegularExpression>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;
using namespace drive_requests;

namespace {

constexpr qsizetype metadataLimit = 1024 * 1024;

const QStringList sessionParameters = commonParameters + QStringList{u"uploadType"_s, u"upload_id"_s};

[[noreturn]] void refuse(const QString& message)
{
    throw RequestRefused(google::apiError(400, u"badRequest"_s, message));
}

// How Google answers for a session that expired or was cancelled is not
// documented beyond its status; see README.md.
HttpResponse sessionGone()
{
    return google::apiError(404, u"notFound"_s, u"The upload session was not found: it expired or was cancelled."_s);
}

std::unique_ptr<BodySink> answer(HttpResponse response)
{
    return std::make_unique<FixedResponseSink>(std::move(response));
}

// A decimal byte count, as in X-Upload-Content-Length and Content-Range.
std::optional<qint64> byteCount(QByteArrayView text)
{
    static const QRegularExpression digits(u"^[0-9]{1,18}$"_s);
    if (!digits.match(QString::fromLatin1(text)).hasMatch())
        return std::nullopt;
    return text.toByteArray().toLongLong();
}

// "bytes FIRST-LAST/TOTAL" for a chunk, "bytes */TOTAL" (or "*/*") for the status question.
struct ContentRange {
    std::optional<std::pair<qint64, qint64>> span;
    std::optional<qint64> total;
};

ContentRange contentRangeOf(const HttpRequestHead& head)
{
    const std::optional<QByteArray> value = head.headers.value("Content-Range"_ba);
    static const QRegularExpression form(u"^bytes (?:([0-9]+)-([0-9]+)|\\*)/([0-9]+|\\*)$"_s);
    const QRegularExpressionMatch match = value ? form.match(QString::fromLatin1(*value)) : QRegularExpressionMatch();
    if (!match.hasMatch())
        refuse(u"Invalid request. A session request needs \"Content-Range: bytes FIRST-LAST/TOTAL\", or \"bytes */TOTAL\" to ask how far it got."_s);
    ContentRange range;
    if (match.captured(3) != u"*"_s)
        range.total = byteCount(match.captured(3).toLatin1());
    if (match.hasCaptured(1)) {
        const std::optional<qint64> first = byteCount(match.captured(1).toLatin1());
        const std::optional<qint64> last = byteCount(match.captured(2).toLatin1());
        if (!first || !last || *last < *first || !range.total || *last >= *range.total)
            refuse(u"Invalid request. Content-Range %1 does not name bytes of the file."_s.arg(QString::fromLatin1(*value)));
        range.span = {*first, *last};
    }
    return range;
}

// Where the session stands: the kept bytes in Range, or none when nothing is kept.
HttpResponse resumeIncomplete(const UploadSession& session)
{
    HttpResponse response{.status = 308, .headers = {}, .body = {}};
    if (session.media.size() > 0)
        response.headers.append("Range"_ba, "bytes=0-"_ba + QByteArray::number(session.media.size() - 1));
    return response;
}

// The body of one chunk. Its bytes are kept in whole 256 KiB blocks as they
// arrive, the rest when the chunk is complete: a chunk cut off on the way
// leaves its whole blocks, as a server that stores the upload in such blocks
// would.
class ChunkSink final : public BodySink {
public:
    ChunkSink(DriveService& drive, std::shared_ptr<UploadSession> session, qint64 length)
        : m_drive(drive), m_session(std::move(session)), m_length(length)
    {
    }

    void append(QByteArrayView piece) override
    {
        m_session->receivedBytes += piece.size();
        m_arrived += piece.size();
        piece = piece.first(std::min<qsizetype>(piece.size(), m_length - m_taken));
        m_taken += piece.size();
        if (!m_partialBlock.isEmpty()) {
            const qsizetype missing = ResumableUploads::chunkGranularity - m_partialBlock.size();
            m_partialBlock.append(piece.first(std::min(missing, piece.size())));
            piece = piece.sliced(std::min(missing, piece.size()));
            if (m_partialBlock.size() < ResumableUploads::chunkGranularity)
                return;
            m_session->media.feed(m_partialBlock);
            m_partialBlock.clear();
        }
        const qsizetype wholeBlocks = piece.size() / ResumableUploads::chunkGranularity * ResumableUploads::chunkGranularity;
        m_session->media.feed(piece.first(wholeBlocks));
        m_partialBlock.append(piece.sliced(wholeBlocks));
    }

    HttpResponse finish() override
    {
        if (m_arrived != m_length)
            return google::apiError(400, u"badRequest"_s,
                                    u"Invalid request. The body holds %1 bytes where Content-Range names %2."_s.arg(m_arrived).arg(m_length));
        m_session->media.feed(m_partialBlock);
        m_partialBlock.clear();
        if (m_session->media.size() < *m_session->totalBytes || m_session->neverFinishes)
            return resumeIncomplete(*m_session);
        try {
            m_session->completion = m_drive.create(m_session->clientId, m_session->metadata, m_session->media.finish(),
                                                   m_session->selection);
            m_session->state = UploadSession::State::complete;
            return *m_session->completion;
        } catch (const RequestRefused&) {
            m_session->state = UploadSession::State::failed;
            throw;
        }
    }

private:
    DriveService& m_drive;
    std::shared_ptr<UploadSession> m_session;
    qint64 m_length;
    qint64 m_arrived = 0;
    qint64 m_taken = 0;
    QByteArray m_partialBlock;
};

} // namespace

ResumableUploads::ResumableUploads(DriveService& drive, UploadSessions& sessions, const OAuthGrants& grants, QUrl rootUrl)
    : m_drive(drive), m_sessions(sessions), m_grants(grants), m_rootUrl(std::move(rootUrl))
{
}

bool ResumableUploads::isInitiation(const HttpRequestHead& head)
{
    const std::optional<FormFields> query = FormFields::parse(head.query);
    return head.method == "POST"_ba && query && query->value(u"uploadType"_s) == u"resumable"_s;
}

std::unique_ptr<BodySink> ResumableUploads::initiate(const HttpRequestHead& head)
{
    QString clientId = authorizedClient(head, m_grants);
    const FormFields query = checkedQuery(head.query, commonParameters + QStringList{u"uploadType"_s});
    FieldSelection selection = checkedFieldSelection(query, DriveResources::fileShape(), DriveResources::defaultFileFields());
    std::optional<qint64> totalBytes;
    if (const std::optional<QByteArray> length = head.headers.value("X-Upload-Content-Length"_ba)) {
        totalBytes = byteCount(*length);
        if (!totalBytes)
            refuse(u"Invalid X-Upload-Content-Length: %1"_s.arg(QString::fromLatin1(*length)));
    }
    std::optional<QString> mediaType;
    if (const std::optional<QByteArray> type = head.headers.value("X-Upload-Content-Type"_ba)) {
        const std::optional<MediaType> parsed = MediaType::parse(*type);
        if (!parsed)
            refuse(u"Invalid X-Upload-Content-Type: %1"_s.arg(QString::fromLatin1(*type)));
        mediaType = QString::fromLatin1(parsed->type);
    }
    const QByteArray contentType = head.headers.value("Content-Type"_ba).value_or(QByteArray());
    const std::optional<MediaType> bodyType = MediaType::parse(contentType);
    const std::optional<QByteArray> charset = bodyType ? bodyType->parameter("charset"_ba) : std::nullopt;
    const bool jsonBody = bodyType && bodyType->type == "application/json"_ba && (!charset || charset->toLower() == "utf-8"_ba);

    auto open = [this, clientId, selection, totalBytes, mediaType, jsonBody, head](const QByteArray& body) {
        if (!body.isEmpty() && !jsonBody)
            throw RequestRefused(google::apiError(
                400, u"badContent"_s,
                u"Unsupported content with type: %1"_s.arg(QString::fromLatin1(head.headers.value("Content-Type"_ba).value_or(QByteArray())))));
        FileMetadata metadata = FileMetadata::parse(body);
        m_drive.checkedParent(clientId, metadata.parents);
        // Without X-Upload-Content-Type Drive takes the metadata's type, when it is not a Google one.
        const QString type = mediaType.value_or(
            metadata.mimeType && !metadata.mimeType->startsWith(mime::googleAppsPrefix) ? metadata.mimeType->toLower()
                                                                                         : u"application/octet-stream"_s);
        const std::shared_ptr<UploadSession> session = m_sessions.open(clientId, std::move(metadata), selection, type, totalBytes);
        HttpResponse response{.status = 200, .headers = {}, .body = {}};
        response.headers.append("Location"_ba, m_rootUrl.toEncoded(QUrl::StripTrailingSlash) + head.path + '?' + head.query
                                                   + "&upload_id="_ba + session->id.toLatin1());
        return response;
    };
    return std::make_unique<BufferedBodySink>(
        metadataLimit,
        [open](const QByteArray& body) {
            try {
                return open(body);
            } catch (const RequestRefused& refusal) {
                return refusal.response();
            }
        },
        google::apiError(413, u"uploadTooLarge"_s, u"The metadata is too large."_s));
}

std::shared_ptr<UploadSession> ResumableUploads::sessionOf(const HttpRequestHead& head) const
{
    const FormFields query = checkedQuery(head.query, sessionParameters);
    const std::shared_ptr<UploadSession> session = m_sessions.find(query.value(u"upload_id"_s).value_or(QString()));
    if (head.headers.contains("Authorization"_ba) && authorizedClient(head, m_grants) != (session ? session->clientId : QString()))
        throw RequestRefused(sessionGone());
    if (!session || (session->state != UploadSession::State::open && session->state != UploadSession::State::complete))
        throw RequestRefused(sessionGone());
    return session;
}

std::unique_ptr<BodySink> ResumableUploads::put(const HttpRequestHead& head)
{
    const std::shared_ptr<UploadSession> session = sessionOf(head);
    // An empty file's one chunk has no bytes to name: Google's clients send it
    // without Content-Range.
    if (!head.headers.contains("Content-Range"_ba) && session->state == UploadSession::State::open
        && session->totalBytes == 0) {
        ++session->chunkRequests;
        return std::make_unique<ChunkSink>(m_drive, session, 0);
    }
    const ContentRange range = contentRangeOf(head);
    if (session->state == UploadSession::State::complete)
        return answer(*session->completion);
    if (range.total && session->totalBytes && *range.total != *session->totalBytes)
        refuse(u"Invalid request. Content-Range gives the file %1 bytes; the upload announced %2."_s.arg(*range.total)
                   .arg(*session->totalBytes));
    if (!range.span)
        return answer(resumeIncomplete(*session));

    const auto [first, last] = *range.span;
    if (first != session->media.size())
        refuse(u"Invalid request. The chunk starts at byte %1, but the upload has kept bytes up to %2; ask how far it got "
               u"with \"Content-Range: bytes */TOTAL\"."_s.arg(first).arg(session->media.size()));
    const qint64 length = last - first + 1;
    // Google's rule for every chunk but the one that completes the upload.
    if (last + 1 < *range.total && length % chunkGranularity != 0)
        refuse(u"Invalid request. Every chunk but the last must be a multiple of %1 bytes; this one holds %2."_s
                   .arg(chunkGranularity).arg(length));
    session->totalBytes = range.total;
    ++session->chunkRequests;
    return std::make_unique<ChunkSink>(m_drive, session, length);
}

HttpResponse ResumableUploads::cancel(const HttpRequestHead& head)
{
    const std::shared_ptr<UploadSession> session = sessionOf(head);
    if (session->state != UploadSession::State::open)
        return sessionGone();
    session->state = UploadSession::State::cancelled;
    return HttpResponse{.status = 499, .headers = {}, .body = {}};
}

} // namespace orvane::emulator
