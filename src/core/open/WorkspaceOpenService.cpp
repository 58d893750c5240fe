#include "open/WorkspaceOpenService.h"

#include "support/BackgroundTask.h"

namespace orvane {

WorkspaceOpenService::WorkspaceOpenService(FileRouter router, DriveFolderResolver folderResolver,
                                           LocalStateStoring& stateStore, DriveUploading& driveUploader,
                                           SnapshotProvider snapshotProvider)
    : router_(router),
      folderResolver_(std::move(folderResolver)),
      stateStore_(stateStore),
      driveUploader_(driveUploader),
      snapshotProvider_(std::move(snapshotProvider))
{
}

SnapshotProvider WorkspaceOpenService::hashingSnapshotProvider()
{
    return [](QUrl fileURL) -> QCoro::Task<LocalFileSnapshot> {
        co_return co_await runInBackground([fileURL] { return LocalFileSnapshot::inspect(fileURL, true); });
    };
}

QCoro::Task<OpenOutcome> WorkspaceOpenService::open(QUrl localFileURL, OrvanePreferences preferences,
                                                    QDateTime now) const
{
    const FileRoute route = router_.route(pathExtension(localFileURL));
    const OpenMode mode = route.effectiveOpenMode(preferences.officeOpenMode);
    const LocalFileSnapshot snapshot = co_await snapshotProvider_(localFileURL);

    // Lookup and save run without a suspension in between, so two opens that
    // interleave on the event loop cannot lose each other's record.
    if (std::optional<LocalFileRecord> existing = stateStore_.reusableRecord(snapshot, mode)) {
        existing->lastOpenedAt = now;
        stateStore_.upsertRecord(*existing);
        co_return OpenOutcome::reused(*existing);
    }

    // A record that could not be saved would leave the upload unknown, and
    // the next try would upload the file again: find out before any byte goes.
    stateStore_.requireSavable();
    const QString destinationFolderName = folderResolver_.destinationFolderName(route);
    // Named, not a temporary inside the co_await: GCC 12 destroys such temporaries twice.
    DriveUploadRequest request{
        .localFileURL = localFileURL,
        .snapshot = snapshot,
        .route = route,
        .mode = mode,
        .rootFolderName = preferences.rootFolderName,
        .destinationFolderName = destinationFolderName,
    };
    const DriveUploadResult result = co_await driveUploader_.uploadFile(std::move(request));
    const LocalFileRecord record{
        .id = QUuid::createUuid(),
        .localFilePath = snapshot.path,
        .fileExtension = snapshot.fileExtension,
        .fileSize = snapshot.fileSize,
        .modifiedAt = snapshot.modifiedAt,
        .sha256 = snapshot.sha256,
        .googleDriveFileID = result.fileID,
        .openURL = result.openURL,
        .openMode = mode,
        .destinationFolderName = destinationFolderName,
        .createdAt = now,
        .lastOpenedAt = now,
    };
    stateStore_.upsertRecord(record);
    co_return OpenOutcome::created(record);
}

} // namespace orvane
