#pragma once

#include "DriveItem.h"

#include <QList>
#include <QSet>

#include <map>

namespace orvane::emulator {

// The emulated Drive of the one signed-in user: My Drive's root folder and every
// item in creation order.
class DriveStore {
public:
    static constexpr QStringView rootAlias = u"root";

    DriveStore();

    const QString& rootFolderId() const { return m_rootFolderId; }
    // The folder ID an ID stands for: "root" names My Drive.
    QString resolve(const QString& id) const;

    const DriveItem* find(const QString& id) const;
    // Stores the item under its ID, when it has one (see generateIds), else
    // under a new ID of the right shape, and returns it.
    const DriveItem& add(DriveItem item);
    // IDs a client may give items it creates; each is used at most once.
    QStringList generateIds(int count);
    bool wasGenerated(const QString& id) const { return m_generatedIds.contains(id); }
    QList<const DriveItem*> items() const;
    // Moves an item to the trash, and with a folder everything below it.
    bool trash(const QString& id);
    // Names of the folders from My Drive down to the item's parent.
    QStringList folderPath(const DriveItem& item) const;
    void clear();

private:
    QString m_rootFolderId;
    std::map<quint64, DriveItem> m_items; // by creation number
    QHash<QString, quint64> m_numbersById;
    QSet<QString> m_generatedIds;
    quint64 m_nextNumber = 0;
};

} // namespace orvane::emulator
