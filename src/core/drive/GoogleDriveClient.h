#pragma once

#include "signin/AccessTokenProviding.h"
#include "open/DriveUploading.h"
#include "routing/FileRouting.h"
#include "routing/GoogleServiceEndpoints.h"

#include <QCoroTask>

#include <optional>

class QNetworkAccessManager;

namespace orvane {

// Uploads files to Google Drive under rootFolderName/destinationFolderName,
// creating the folders as needed. Every request carries the bearer token and a
// 60-second idle time-out; a status outside 2xx fails with
// UrlError::badServerResponse and Google's error body is dropped. Keeps nothing
// between uploads: every upload looks its folders up again.
class GoogleDriveClient final : public DriveUploading {
public:
    GoogleDriveClient(AccessTokenProviding& tokenProvider, QNetworkAccessManager& networkAccessManager,
                      GoogleFileURLResolver urlResolver, GoogleServiceEndpoints endpoints);

    // Token, root folder, destination folder, then the file in one multipart
    // request, strictly in that order; folders made before a failure stay.
    QCoro::Task<DriveUploadResult> uploadFile(DriveUploadRequest request) override;

    struct DriveFile;

private:
    QCoro::Task<std::optional<QString>> findFolder(QString name, QString parentID, QString token);
    QCoro::Task<QString> ensureFolder(QString name, QString parentID, QString token);
    QCoro::Task<DriveFile> upload(DriveUploadRequest request, QString parentID, QString token);

    AccessTokenProviding& tokenProvider_;
    QNetworkAccessManager& networkAccessManager_;
    GoogleFileURLResolver urlResolver_;
    GoogleServiceEndpoints endpoints_;
};

} // namespace orvane
