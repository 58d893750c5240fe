#pragma once

#include "open/DriveUploading.h"
#include "routing/FileRouting.h"
#include "state/LocalStateStore.h"
#include "routing/Preferences.h"

#include <QDateTime>
#include <QUrl>

#include <QCoroTask>

#include <functional>

namespace orvane {

// The result of opening a file: an existing Drive file reused, or a new upload.
class OpenOutcome {
public:
    enum class Kind { reused, created };

    static OpenOutcome reused(LocalFileRecord record) { return OpenOutcome(Kind::reused, std::move(record)); }
    static OpenOutcome created(LocalFileRecord record) { return OpenOutcome(Kind::created, std::move(record)); }

    Kind kind() const { return kind_; }
    const LocalFileRecord& record() const { return record_; }
    bool didUpload() const { return kind_ == Kind::created; }

    bool operator==(const OpenOutcome&) const = default;

private:
    OpenOutcome(Kind kind, LocalFileRecord record) : kind_(kind), record_(std::move(record)) {}

    Kind kind_;
    LocalFileRecord record_;
};

// Fingerprints a local file; may throw what inspecting the file throws.
using SnapshotProvider = std::function<QCoro::Task<LocalFileSnapshot>(QUrl)>;

// Turns a local file into an opened Google file: reuses the Drive file of an
// unchanged file, otherwise uploads it and remembers the new one.
class WorkspaceOpenService {
public:
    // The store and the uploader must outlive every open().
    WorkspaceOpenService(FileRouter router, DriveFolderResolver folderResolver, LocalStateStoring& stateStore,
                         DriveUploading& driveUploader, SnapshotProvider snapshotProvider = hashingSnapshotProvider());

    // Size, date and SHA-256 of the file, hashed on the thread pool so that a
    // large file never holds up the event loop.
    static SnapshotProvider hashingSnapshotProvider();

    // now is stamped on the record (last opened; also created for an upload).
    // Every failure reaches the caller unchanged, and leaves the store as it was
    // unless the final save itself failed.
    QCoro::Task<OpenOutcome> open(QUrl localFileURL, OrvanePreferences preferences, QDateTime now) const;

private:
    FileRouter router_;
    DriveFolderResolver folderResolver_;
    LocalStateStoring& stateStore_;
    DriveUploading& driveUploader_;
    SnapshotProvider snapshotProvider_;
};

} // namespace orvane
