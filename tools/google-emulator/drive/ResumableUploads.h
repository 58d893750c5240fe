#pragma once

#include "DriveService.h"
#include "UploadSessions.h"
#include "http/BodySink.h"
#include "oauth/OAuthGrants.h"

#include <QUrl>

#include <memory>

namespace orvane::emulator {

// Drive's resumable upload. A POST with uploadType=resumable and the file's
// JSON metadata opens a session and answers its URI in Location (the upload
// path with the POST's query and an upload_id). PUTs to that URI bring the
// media in chunks with "Content-Range: bytes FIRST-LAST/TOTAL", each but the
// last a multiple of 256 KiB and each starting where the kept bytes end; a
// chunk short of the end is answered 308 with "Range: bytes=0-N" (the bytes
// kept), the last one with the file. A PUT with an empty body and
// "Content-Range: bytes */TOTAL" asks how far the session got. A DELETE
// cancels the session (499). An expired or cancelled session is 404.
class ResumableUploads {
public:
    static constexpr qint64 chunkGranularity = 256 * 1024;

    ResumableUploads(DriveService& drive, UploadSessions& sessions, const OAuthGrants& grants, QUrl rootUrl);

    // Whether a POST to the upload path opens a session rather than uploading in one request.
    static bool isInitiation(const HttpRequestHead& head);

    // POST /upload/drive/v3/files?uploadType=resumable: checks the request at
    // once, opens the session when the metadata has arrived.
    std::unique_ptr<BodySink> initiate(const HttpRequestHead& head);
    // PUT to a session URI: a chunk, or the status question.
    std::unique_ptr<BodySink> put(const HttpRequestHead& head);
    // DELETE to a session URI.
    HttpResponse cancel(const HttpRequestHead& head);

private:
    // The session the URI names, checked against the request's token when it
    // carries one (Google's session URI is a credential of its own).
    std::shared_ptr<UploadSession> sessionOf(const HttpRequestHead& head) const;

    DriveService& m_drive;
    UploadSessions& m_sessions;
    const OAuthGrants& m_grants;
    QUrl m_rootUrl;
};

} // namespace orvane::emulator
