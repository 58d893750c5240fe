#include "state/DriveFolderStore.h"

#include "state/PrivateFolders.h"
#include "support/AtomicFileWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace orvane {

struct DriveFolderStore::Entry {
    QString name;
    QString parentID;
    RememberedFolder folder;
};

DriveFolderStore DriveFolderStore::besideStateFile(const QUrl& stateFileURL)
{
    return DriveFolderStore(QFileInfo(stateFileURL.toLocalFile()).absolutePath() + u'/' + fileName);
}

std::optional<RememberedFolder> DriveFolderStore::folder(const QString& name, const QString& parentID) const
{
    for (const Entry& entry : load()) {
        if (entry.name == name && entry.parentID == parentID)
            return entry.folder;
    }
    return std::nullopt;
}

void DriveFolderStore::remember(const QString& name, const QString& parentID, const RememberedFolder& folder)
{
    QList<Entry> entries = load();
    entries.removeIf([&](const Entry& entry) { return entry.name == name && entry.parentID == parentID; });
    entries.append({name, parentID, folder});
    save(entries);
}

void DriveFolderStore::forget(const QString& name, const QString& parentID)
{
    QList<Entry> entries = load();
    if (entries.removeIf([&](const Entry& entry) { return entry.name == name && entry.parentID == parentID; }) > 0)
        save(entries);
}

std::unique_ptr<FileLock> DriveFolderStore::tryLock() const
{
    createPrivateFolders(QFileInfo(filePath_).absolutePath());
    return FileLock::tryLock(filePath_ + u".lock"_s);
}

QList<DriveFolderStore::Entry> DriveFolderStore::load() const
{
    QFile file(filePath_);
    if (!file.exists())
        return {};
    const QJsonDocument document = file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()) : QJsonDocument();
    // Only hints: without them the folders are found on Drive again.
    if (!document.isObject())
        return {};
    QList<Entry> entries;
    for (const QJsonValue& value : document.object().value(u"folders"_s).toArray()) {
        const QJsonObject object = value.toObject();
        Entry entry{object.value(u"name"_s).toString(), object.value(u"parentID"_s).toString(),
                    {object.value(u"id"_s).toString(), std::nullopt}};
        if (const QJsonValue parent = object.value(u"parentOnDrive"_s); parent.isString())
            entry.folder.parentOnDrive = parent.toString();
        if (!entry.folder.id.isEmpty() && !entry.parentID.isEmpty())
            entries.append(entry);
    }
    return entries;
}

void DriveFolderStore::save(const QList<Entry>& entries)
{
    QJsonArray folders;
    for (const Entry& entry : entries) {
        QJsonObject object{{u"name"_s, entry.name}, {u"parentID"_s, entry.parentID}, {u"id"_s, entry.folder.id}};
        if (entry.folder.parentOnDrive)
            object.insert(u"parentOnDrive"_s, *entry.folder.parentOnDrive);
        folders.append(object);
    }
    createPrivateFolders(QFileInfo(filePath_).absolutePath());
    writeFileAtomically(filePath_, QJsonDocument(QJsonObject{{u"folders"_s, folders}}).toJson(QJsonDocument::Compact),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace orvane
