#pragma once

#include "routing/FileRouting.h"
#include "state/LocalFileSnapshot.h"

#include <QUrl>

#include <QCoroTask>

#include <optional>

namespace orvane {

// What the uploader is asked to do: put this file, in this mode, under
// rootFolderName/destinationFolderName on Drive.
struct DriveUploadRequest {
    QUrl localFileURL;
    LocalFileSnapshot snapshot;
    FileRoute route;
    OpenMode mode = OpenMode::googleFormat;
    QString rootFolderName;
    QString destinationFolderName;

    bool operator==(const DriveUploadRequest&) const = default;
};

// The new Drive file and the URL that opens it in the browser.
struct DriveUploadResult {
    QString fileID;
    QUrl openURL;
    std::optional<QUrl> webViewLink;

    bool operator==(const DriveUploadResult&) const = default;
};

// Uploads one local file to Drive. The Drive client is the real one; tests
// give their own.
class DriveUploading {
public:
    virtual ~DriveUploading() = default;
    virtual QCoro::Task<DriveUploadResult> uploadFile(DriveUploadRequest request) = 0;
};

} // namespace orvane
