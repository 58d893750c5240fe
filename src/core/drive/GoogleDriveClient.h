#pragma once

#include "net/AbortSignal.h"
#include "net/HttpExchange.h"
#include "net/RetryPolicy.h"
#include "open/DriveUploading.h"
#include "routing/FileRouting.h"
#include "routing/GoogleServiceEndpoints.h"
#include "signin/AccessTokenProviding.h"

#include <QCoroTask>

#include <functional>
#include <optional>

class QNetworkAccessManager;

namespace orvane {

// Uploads files to Google Drive under rootFolderName/destinationFolderName,
// creating the folders as needed. Every request carries the bearer token and a
// 60-second idle time-out. What Google calls passing (429, server failures,
// rate-limit 403s, a connection dropped before any answer) is tried again
// under the retry policy; a 401 gets one refreshed token and one more try.
// Any other status outside 2xx, or one that persists, fails with
// UrlError::badServerResponse carrying Google's own message. Keeps nothing
// between uploads: every upload looks its folders up again.
class GoogleDriveClient final : public DriveUploading {
public:
    // Lists longer than this many pages are taken for a server fault.
    static constexpr int maximumLookupPages = 100;

    // abort ends every request of the client at once (UrlError::cancelled).
    GoogleDriveClient(AccessTokenProviding& tokenProvider, QNetworkAccessManager& networkAccessManager,
                      GoogleFileURLResolver urlResolver, GoogleServiceEndpoints endpoints,
                      RetryPolicy retryPolicy = RetryPolicy::exponentialBackoff(), AbortSignal abort = {});

    // Token, root folder, destination folder, then the file in one multipart
    // request, strictly in that order; folders made before a failure stay.
    QCoro::Task<DriveUploadResult> uploadFile(DriveUploadRequest request) override;

    struct DriveFile;

private:
    // The token of one upload, and whether it was already refreshed after a 401.
    struct Session {
        QString token;
        bool wasRefreshed = false;
    };
    using Send = std::function<QCoro::Task<HttpResponse>(QString token)>;

    QCoro::Task<std::optional<QString>> findFolder(Session& session, QString name, QString parentID);
    QCoro::Task<QString> ensureFolder(Session& session, QString name, QString parentID);
    QCoro::Task<DriveFile> upload(Session& session, DriveUploadRequest request, QString parentID);
    // One request; after a 401, once more with a token refreshed for it.
    QCoro::Task<HttpResponse> sendAuthorized(Session& session, const Send& send);
    // One request, tried again while its failure is passing; the final answer
    // must be a success, or it is thrown as Drive's error.
    QCoro::Task<HttpResponse> exchange(Session& session, Send send);

    AccessTokenProviding& tokenProvider_;
    QNetworkAccessManager& networkAccessManager_;
    GoogleFileURLResolver urlResolver_;
    GoogleServiceEndpoints endpoints_;
    RetryPolicy retryPolicy_;
    AbortSignal abort_;
};

} // namespace orvane
