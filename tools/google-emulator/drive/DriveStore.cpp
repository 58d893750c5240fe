#include "DriveStore.h"

#include "GoogleIds.h"

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

DriveStore::DriveStore() : m_rootFolderId(ids::newRootFolderId()) {}

QString DriveStore::resolve(const QString& id) const
{
    return id == rootAlias ? m_rootFolderId : id;
}

const DriveItem* DriveStore::find(const QString& id) const
{
    const auto number = m_numbersById.constFind(id);
    return number == m_numbersById.cend() ? nullptr : &m_items.at(*number);
}

const DriveItem& DriveStore::add(DriveItem item)
{
    if (item.id.isEmpty())
        item.id = item.isGoogleType() && !item.isFolder() ? ids::newConvertedFileId() : ids::newFileId();
    const quint64 number = m_nextNumber++;
    m_numbersById.insert(item.id, number);
    return m_items.emplace(number, std::move(item)).first->second;
}

QStringList DriveStore::generateIds(int count)
{
    QStringList generated;
    for (int index = 0; index < count; ++index) {
        generated.append(ids::newFileId());
        m_generatedIds.insert(generated.last());
    }
    return generated;
}

QList<const DriveItem*> DriveStore::items() const
{
    QList<const DriveItem*> all;
    all.reserve(static_cast<qsizetype>(m_items.size()));
    for (const auto& [number, item] : m_items)
        all.append(&item);
    return all;
}

bool DriveStore::trash(const QString& id)
{
    const auto number = m_numbersById.constFind(id);
    if (number == m_numbersById.cend())
        return false;
    DriveItem& item = m_items.at(*number);
    item.trashed = true;
    if (item.isFolder()) {
        for (auto& [childNumber, child] : m_items) {
            if (child.parents.contains(id) && !child.trashed)
                trash(child.id);
        }
    }
    return true;
}

QStringList DriveStore::folderPath(const DriveItem& item) const
{
    QStringList path;
    const DriveItem* current = &item;
    // Parents are checked when an item is created, so the chain ends at My Drive;
    // the bound keeps a malformed chain from looping.
    for (int depth = 0; depth < 64 && !current->parents.isEmpty(); ++depth) {
        const QString parentId = current->parents.first();
        if (parentId == m_rootFolderId)
            break;
        current = find(parentId);
        if (!current)
            break;
        path.prepend(current->name);
    }
    path.prepend(u"My Drive"_s);
    return path;
}

void DriveStore::clear()
{
    m_items.clear();
    m_numbersById.clear();
    m_generatedIds.clear();
}

} // namespace orvane::emulator
