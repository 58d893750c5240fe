#include "DriveUpload.h"

#include "GoogleErrors.h"
#include "http/MediaType.h"

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype metadataLimit = 1024 * 1024;

[[noreturn]] void refuseMalformed(const QString& reason)
{
    throw RequestRefused(google::apiError(400, u"badContent"_s, u"Malformed multipart body: %1."_s.arg(reason)));
}

} // namespace

DriveUpload::DriveUpload(DriveService& drive, QString clientId, FieldSelection selection, const QByteArray& boundary)
    : m_drive(drive), m_clientId(std::move(clientId)), m_selection(std::move(selection)), m_parser(boundary, *this)
{
}

void DriveUpload::append(QByteArrayView piece)
{
    m_parser.append(piece);
    if (m_parser.error())
        refuseMalformed(*m_parser.error());
}

void DriveUpload::beginPart(const HttpHeaders& headers)
{
    ++m_partCount;
    const std::optional<QByteArray> contentType = headers.value("Content-Type"_ba);
    const std::optional<MediaType> mediaType = contentType ? MediaType::parse(*contentType) : std::nullopt;
    if (m_partCount == 1) {
        const std::optional<QByteArray> charset = mediaType ? mediaType->parameter("charset"_ba) : std::nullopt;
        if (!mediaType || mediaType->type != "application/json"_ba || (charset && charset->toLower() != "utf-8"_ba))
            refuseMalformed(u"the first part must be the JSON metadata, with Content-Type application/json"_s);
    } else if (m_partCount == 2) {
        if (!mediaType)
            refuseMalformed(u"the media part has no valid Content-Type"_s);
        m_media.emplace(QString::fromLatin1(mediaType->type));
    } else {
        refuseMalformed(u"an upload has exactly two parts, metadata and media"_s);
    }
}

void DriveUpload::partData(QByteArrayView data)
{
    if (m_partCount == 1) {
        if (m_metadata.size() + data.size() > metadataLimit)
            throw RequestRefused(google::apiError(413, u"uploadTooLarge"_s, u"The metadata part is too large."_s));
        m_metadata.append(data);
        return;
    }
    m_media->feed(data);
}

// Parts end where the next begins; nothing is left to do for either.
void DriveUpload::endPart() {}

HttpResponse DriveUpload::finish()
{
    m_parser.finish();
    if (m_parser.error())
        refuseMalformed(*m_parser.error());
    if (m_partCount != 2)
        refuseMalformed(u"an upload has exactly two parts, metadata and media"_s);
    return m_drive.create(m_clientId, FileMetadata::parse(m_metadata), m_media->finish(), m_selection);
}

} // namespace orvane::emulator
