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

// Google's guide reads any other 4xx during a resumable upload as a session
// that has expired: the upload starts over in a new one. A 401 wants a new
// token, a 429 a wait, and a 403 (a quota, a permission) ends the upload at
// once, since a new session would meet the same refusal.
bool isSessionGone(const HttpResponse& answer)
{
    const int status = answer.statusCode.value_or(0);
    return status >= 400 && status <= 499 && status != 401 && status != 403 && status != 429;
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
    // The tries in a row without the upload moving on.
    RetryBudget budget(with_.retryPolicy, with_.abort);
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
        const std::optional<PassingFailure> passing =
            transportFailure ? PassingFailure::transient : passingFailureOfDriveAnswer(*answer);
        if (passing) {
            if (!budget.hasTryLeft(*passing)) {
                if (transportFailure)
                    std::rethrow_exception(transportFailure);
                throw driveAnswerError(*answer);
            }
            co_await budget.waitBeforeNextTry(*passing);
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
            budget.startAfresh();
        } else if (answer->statusCode == 308) {
            with_.authorization.noteAccepted();
            const qint64 kept = keptBytes(*answer);
            // A chunk that arrived whole but moved nothing on is a failed try,
            // and so is the question to a session that has every byte but made
            // no file: else a server that keeps nothing would be fed for ever,
            // and one that never finishes asked for ever.
            if (kept > offset) {
                budget.startAfresh();
            } else if (!wasAsking || kept == file_->size()) {
                if (!budget.hasTryLeft(PassingFailure::transient))
                    throw UrlError(UrlError::Code::badServerResponse, 308,
                                   kept == file_->size() ? u"it received the whole file but did not finish the upload"_s
                                                         : u"Google Drive kept none of the upload"_s);
                co_await budget.waitBeforeNextTry(PassingFailure::transient);
            }
            offset = kept;
            // All kept but not yet answered with the file: the session says
            // what it made. An empty file has nothing to keep: it is sent again.
            mustAsk = offset == file_->size() && offset > 0;
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
    const auto body = std::make_shared<FileRangeBody>(file_, offset, length);
    with_.progress.follow(body, offset);
    HttpHeaders headers{{"Authorization", with_.authorization.bearer()}};
    // An empty file has no bytes to name: its one PUT goes without a range,
    // as Google's own clients send it.
    if (length > 0)
        headers.append({"Content-Range", "bytes " + QByteArray::number(offset) + '-'
                                             + QByteArray::number(offset + length - 1) + '/'
                                             + QByteArray::number(file_->size())});
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
