#include "drive/ResumableUpload.h"

#include "drive/DriveAnswer.h"
#include "support/UrlError.h"

#include <QRegularExpression>

#include <exception>

using namespace Qt::StringLiterals;

namespace orvane {

namespace {

// Whether the chunk may have reached the session in part: worth asking how far.
bool isResumable(const UrlError& error)
{
    return error.code() == UrlError::Code::networkConnectionLost || error.code() == UrlError::Code::timedOut;
}

bool isSessionGone(const HttpResponse& answer)
{
    return answer.statusCode == 404 || answer.statusCode == 410;
}

// Giving a session up should not hold the user up, also where the network is gone.
constexpr std::chrono::milliseconds endSessionTimeout{1000};

} // namespace

ResumableUpload::ResumableUpload(std::shared_ptr<const UploadFile> file, qint64 chunkSize, Collaborators collaborators)
    : file_(std::move(file)), chunkSize_(chunkSize), with_(std::move(collaborators))
{
    Q_ASSERT(chunkSize_ > 0 && chunkSize_ % chunkGranularity == 0);
}

QCoro::Task<HttpResponse> ResumableUpload::run()
{
    QUrl session;
    std::exception_ptr failure;
    try {
        co_return co_await sendAll(session);
    } catch (...) {
        failure = std::current_exception();
    }
    if (session.isValid())
        co_await endSession(session);
    std::rethrow_exception(failure);
}

QCoro::Task<HttpResponse> ResumableUpload::sendAll(QUrl& session)
{
    session = co_await with_.openSession();
    bool reopened = false;
    qint64 offset = 0;
    bool mustAsk = false;
    // Tries in a row that failed, without the upload moving on.
    int failures = 0;
    for (;;) {
        std::optional<HttpResponse> answer;
        std::exception_ptr transportFailure;
        try {
            answer = co_await (mustAsk ? askHowFarItGot(session) : sendChunk(session, offset));
        } catch (const UrlError& error) {
            if (!isResumable(error))
                throw;
            transportFailure = std::current_exception();
        }
        if (transportFailure || isTransientDriveAnswer(*answer)) {
            if (++failures >= with_.retryPolicy.maximumAttempts) {
                if (transportFailure)
                    std::rethrow_exception(transportFailure);
                throw driveAnswerError(*answer);
            }
            co_await with_.retryPolicy.waitBeforeRetry(failures, with_.abort);
            mustAsk = true;
            continue;
        }
        const bool wasAsking = std::exchange(mustAsk, false);
        if (answer->statusCode == 401) {
            if (!co_await with_.authorization.replaceRefusedToken())
                throw driveAnswerError(*answer);
            mustAsk = true;
        } else if (isSessionGone(*answer)) {
            if (std::exchange(reopened, true)) {
                session = QUrl();
                throw driveAnswerError(*answer);
            }
            session = QUrl();
            session = co_await with_.openSession();
            offset = 0;
            failures = 0;
        } else if (answer->statusCode == 308) {
            with_.authorization.noteAccepted();
            const qint64 kept = keptBytes(*answer);
            // A chunk that arrived whole but moved nothing on is a failure too,
            // or a server that keeps nothing would be fed for ever.
            if (kept > offset)
                failures = 0;
            else if (!wasAsking && ++failures >= with_.retryPolicy.maximumAttempts)
                throw UrlError(UrlError::Code::badServerResponse, 308, u"Google Drive kept none of the upload"_s);
            offset = kept;
            // All kept but not yet answered with the file: the session says what it made.
            mustAsk = offset == file_->size();
        } else if (answer->isHttpFailure()) {
            throw driveAnswerError(*answer);
        } else {
            co_return *answer;
        }
    }
}

QCoro::Task<HttpResponse> ResumableUpload::sendChunk(const QUrl& session, qint64 offset)
{
    const qint64 length = std::min(chunkSize_, file_->size() - offset);
    const auto body = std::make_shared<FileFramedBody>(QByteArray(), file_, offset, length, QByteArray());
    with_.progress.follow(body, offset);
    const HttpHeaders headers{
        {"Authorization", with_.authorization.bearer()},
        {"Content-Range", "bytes " + QByteArray::number(offset) + '-' + QByteArray::number(offset + length - 1) + '/'
                              + QByteArray::number(file_->size())},
    };
    co_return co_await with_.connection.send("PUT", session, headers, body, with_.abort);
}

QCoro::Task<HttpResponse> ResumableUpload::askHowFarItGot(const QUrl& session)
{
    const HttpHeaders headers{
        {"Authorization", with_.authorization.bearer()},
        {"Content-Range", "bytes */" + QByteArray::number(file_->size())},
    };
    co_return co_await with_.connection.send("PUT", session, headers, nullptr, with_.abort);
}

QCoro::Task<> ResumableUpload::endSession(const QUrl& session)
{
    try {
        const HttpHeaders headers{{"Authorization", with_.authorization.bearer()}, {"Content-Length", "0"}};
        co_await with_.connection.send("DELETE", session, headers, nullptr, AbortSignal(), endSessionTimeout);
    } catch (const std::exception&) {
        // The session expires on Google's side by itself; nothing of it is kept.
    }
}

qint64 ResumableUpload::keptBytes(const HttpResponse& answer) const
{
    const std::optional<QByteArray> range = answer.header("Range");
    if (!range)
        return 0;
    static const QRegularExpression form(u"^bytes=0-([0-9]{1,18})$"_s);
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(*range));
    const qint64 kept = match.hasMatch() ? match.captured(1).toLongLong() + 1 : -1;
    if (kept < 0 || kept > file_->size())
        throw UrlError(UrlError::Code::badServerResponse, 308,
                       u"Google Drive answered with an unreadable Range, %1"_s.arg(QString::fromLatin1(*range)));
    return kept;
}

} // namespace orvane
