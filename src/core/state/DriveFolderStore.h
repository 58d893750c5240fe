#pragma once

#include "state/FileLock.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

namespace orvane {

// A Drive folder Orvane found or made, as it remembers it.
struct RememberedFolder {
    QString id;
    // The ID of the folder it was seen in on Drive ("root" stands for My
    // Drive's own ID); absent while its creation was sent but not yet
    // answered, so that a creation sent again reuses the same ID.
    std::optional<QString> parentOnDrive;

    bool operator==(const RememberedFolder&) const = default;
};

// The IDs of the Drive folders Orvane files uploads in, by name and parent,
// kept in drive-folders.json beside the state file so that they outlive the
// process: Drive's search may not show a folder made moments ago, while
// asking for its ID always does. The file holds hints, checked on Drive
// before use: one that cannot be read counts as empty. Every call reads or
// writes the file again, so that every Orvane sees the others' folders.
class DriveFolderStore {
public:
    static inline const QString fileName = QStringLiteral("drive-folders.json");

    // The store beside the state file at stateFileURL.
    static DriveFolderStore besideStateFile(const QUrl& stateFileURL);
    explicit DriveFolderStore(QString filePath) : filePath_(std::move(filePath)) {}

    std::optional<RememberedFolder> folder(const QString& name, const QString& parentID) const;
    // Throws FileError when the file cannot be written.
    void remember(const QString& name, const QString& parentID, const RememberedFolder& folder);
    void forget(const QString& name, const QString& parentID);

    // The lock every Orvane holds while it finds or makes folders, so that
    // two of them never both make one; absent while another holds it.
    std::unique_ptr<FileLock> tryLock() const;

    const QString& filePath() const { return filePath_; }

private:
    struct Entry;
    QList<Entry> load() const;
    void save(const QList<Entry>& entries);

    QString filePath_;
};

} // namespace orvane
