#pragma once

#include "drive/DriveAuthorization.h"
#include "drive/StreamingUpload.h"
#include "drive/UploadFile.h"
#include "drive/UploadProgress.h"
#include "net/AbortSignal.h"
#include "net/RetryPolicy.h"

#include <QUrl>

#include <QCoroTask>

#include <functional>
#include <memory>

namespace orvane {

// Sends a file to Drive through a resumable upload session, as Google
// documents it for large files, unreliable networks, and small files at the
// cost of one more request. The file goes in
// chunks (every one but the last a multiple of 256 KiB), each answered 308
// with the Range Drive has kept, which decides where the next one starts.
// After a chunk that failed on the way (a dropped connection, a time-out, a
// 5xx, a 429 or a rate-limit 403) and the retry policy's wait, it asks the
// session how far it got ("Content-Range: bytes */TOTAL") and goes on from
// there. Every try that does not move the upload on counts, the status
// question to a session that has the whole file but made nothing included, and
// each waits the back-off; the upload gives up after the policy's number of
// such tries. A refused token is replaced and the same session goes on; a
// session that is gone (a 4xx other than 401, 403 and 429) is opened anew and
// the file sent from its start, once; a 403 ends the upload at once. An upload
// that fails or is aborted ends its session with a DELETE, so that Drive keeps
// nothing of it.
class ResumableUpload {
public:
    // Chunks are multiples of this, as Drive requires.
    static constexpr qint64 chunkGranularity = 256 * 1024;

    // Opens a session (the initiation request, with its own retries) and
    // gives its URI.
    using SessionOpener = std::function<QCoro::Task<QUrl>()>;

    struct Collaborators {
        SessionOpener openSession;
        StreamingConnection& connection;
        DriveAuthorization& authorization;
        const RetryPolicy& retryPolicy;
        AbortSignal abort;
        UploadProgressReporter& progress;
    };

    // chunkSize: a multiple of chunkGranularity.
    ResumableUpload(std::shared_ptr<const UploadFile> file, qint64 chunkSize, Collaborators collaborators);

    // The answer that completed the upload: a 2xx with the new file. Throws
    // what ended it: Drive's error, UrlError, FileError for a file that
    // changed.
    QCoro::Task<HttpResponse> run();

private:
    QCoro::Task<HttpResponse> sendAll(QUrl& session);
    QCoro::Task<HttpResponse> sendChunk(const QUrl& session, qint64 offset);
    QCoro::Task<HttpResponse> askHowFarItGot(const QUrl& session);
    // The DELETE Google documents for giving a session up; whatever it comes
    // to, the upload ends anyway.
    QCoro::Task<> endSession(const QUrl& session);
    // Where the next chunk starts: the end of the Range a 308 gives.
    qint64 keptBytes(const HttpResponse& answer) const;

    std::shared_ptr<const UploadFile> file_;
    qint64 chunkSize_;
    Collaborators with_;
};

} // namespace orvane
