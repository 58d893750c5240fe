#pragma once

#include "drive/DriveAuthorization.h"
#include "drive/DriveImportLimits.h"
#include "drive/ResumableUpload.h"
#include "drive/StreamingUpload.h"
#include "drive/UploadFile.h"
#include "drive/UploadProgress.h"
#include "net/AbortSignal.h"
#include "net/HttpExchange.h"
#include "net/RetryPolicy.h"
#include "open/DriveUploading.h"
#include "routing/FileRouting.h"
#include "routing/GoogleServiceEndpoints.h"
#include "signin/AccessTokenProviding.h"
#include "state/DriveFolderStore.h"

#include <QCoroTask>

#include <chrono>
#include <functional>
#include <optional>

class QNetworkAccessManager;

namespace orvane {

// How the client sends a file: through a resumable session, in chunks of
// chunkSize (a multiple of 256 KiB). Tests make it small.
struct UploadTuning {
    // Measured against the emulator over HTTP and TLS (bench/README.md): larger
    // chunks pay for fewer round trips; one chunk is the most sent again after
    // a dropped connection.
    static constexpr qint64 defaultChunkSize = 16 * 1024 * 1024;

    static_assert(defaultChunkSize % ResumableUpload::chunkGranularity == 0, "Drive takes chunks in multiples of 256 KiB");

    qint64 chunkSize = defaultChunkSize;
    // How long an upload's request may go without a byte moving.
    std::chrono::milliseconds idleTimeout = requestTimeout;
};

struct DriveFile;

// Uploads files to Google Drive under rootFolderName/destinationFolderName,
// creating the folders as needed. Folder IDs are remembered in the folder
// store and checked with files.get before use, since Drive's search may not
// show a folder made moments ago; a folder is made with an ID generated
// beforehand and remembered before it is sent, so a creation sent again
// makes nothing, and the store's lock keeps two Orvanes from both making one.
// Every request carries the bearer token and a 60-second idle time-out. What Google calls passing (429, server failures,
// rate-limit 403s, a connection dropped before any answer) is tried again
// under the retry policy; a 401 gets one refreshed token and one more try.
// Any other status outside 2xx, or one that persists, fails with
// UrlError::badServerResponse carrying Google's own message.
// Every file, however small, goes through a resumable session: when an
// upload's answer is lost, the session tells whether Drive made the file,
// where a one-request upload sent again could make a second one (Drive takes
// no generated ID for an upload that converts, and its search may not show
// the file yet).
class GoogleDriveClient final : public DriveUploading {
public:
    // Lists longer than this many pages are taken for a server fault.
    static constexpr int maximumLookupPages = 100;
    // How long an upload waits for another Orvane to finish with its folders.
    static constexpr std::chrono::milliseconds folderLockTimeout{std::chrono::minutes(3)};

    // abort ends every request of the client at once (UrlError::cancelled);
    // progress hears how far each upload's bytes have gone; importLimits
    // keeps what about told for the clients that share it.
    GoogleDriveClient(AccessTokenProviding& tokenProvider, QNetworkAccessManager& networkAccessManager,
                      GoogleFileURLResolver urlResolver, GoogleServiceEndpoints endpoints, DriveFolderStore folderStore,
                      RetryPolicy retryPolicy = RetryPolicy::exponentialBackoff(), AbortSignal abort = {},
                      UploadProgressHandler progress = {}, UploadTuning tuning = {},
                      SharedImportLimits importLimits = std::make_shared<SharedImportLimits::element_type>());

    // Token, root folder, destination folder, then the file, strictly in that
    // order; folders made before a failure stay. A conversion Drive would
    // refuse (see DriveImportLimits) fails after the token, before anything is
    // made or sent.
    QCoro::Task<DriveUploadResult> uploadFile(DriveUploadRequest request) override;


private:
    using Send = std::function<QCoro::Task<HttpResponse>(QString token)>;

    // Reads about once for the clients sharing importLimits_, on the first
    // conversion, and refuses what Drive would not convert.
    QCoro::Task<> requireConvertible(DriveAuthorization& authorization, const DriveUploadRequest& request);
    // Held while the folders of an upload are found or made.
    QCoro::Task<std::unique_ptr<FileLock>> lockFolders();
    QCoro::Task<std::optional<DriveFile>> findFolder(DriveAuthorization& authorization, QString name, QString parentID,
                                                     RetryBudget& budget);
    QCoro::Task<QString> ensureFolder(DriveAuthorization& authorization, QString name, QString parentID);
    // The item of that ID, or absent when Drive does not have it (for this client).
    QCoro::Task<std::optional<DriveFile>> fileByID(DriveAuthorization& authorization, QString id);
    QCoro::Task<QString> generateID(DriveAuthorization& authorization);
    // Makes the folder with this ID, or finds it made by an earlier try.
    QCoro::Task<QString> createFolder(DriveAuthorization& authorization, QString name, QString parentID, QString id);
    QCoro::Task<DriveFile> upload(DriveAuthorization& authorization, DriveUploadRequest request, QString parentID);
    QCoro::Task<HttpResponse> uploadResumable(DriveAuthorization& authorization, const DriveUploadRequest& request,
                                              QByteArray metadata, std::shared_ptr<const UploadFile> file,
                                              StreamingConnection& connection, UploadProgressReporter& progress);
    // One request; after a 401, once more with a token refreshed for it.
    QCoro::Task<HttpResponse> sendAuthorized(DriveAuthorization& authorization, const Send& send);
    // One request, tried again while its failure is passing and the budget
    // lasts; the final answer must be a success, or it is thrown as Drive's error.
    QCoro::Task<HttpResponse> exchange(DriveAuthorization& authorization, Send send, RetryBudget& budget);
    // The same, leaving the final answer for the caller to judge.
    QCoro::Task<HttpResponse> finalAnswer(DriveAuthorization& authorization, Send send, RetryBudget& budget);

    AccessTokenProviding& tokenProvider_;
    QNetworkAccessManager& networkAccessManager_;
    GoogleFileURLResolver urlResolver_;
    GoogleServiceEndpoints endpoints_;
    DriveFolderStore folderStore_;
    RetryPolicy retryPolicy_;
    AbortSignal abort_;
    UploadProgressHandler progress_;
    UploadTuning tuning_;
    SharedImportLimits importLimits_;
};

} // namespace orvane
