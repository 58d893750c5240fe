#include "state/PendingOpenList.h"

#include "state/PrivateFolders.h"
#include "support/AtomicFileWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace orvane {

PendingOpenList::PendingOpenList(QString path) : path_(std::move(path))
{
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return;
    for (const QJsonValue& entry : QJsonDocument::fromJson(file.readAll()).array()) {
        const QString filePath = entry.toString();
        if (filePath.startsWith(u'/'))
            files_.append(QUrl::fromLocalFile(filePath));
    }
    leftByEarlierRun_ = files_;
}

void PendingOpenList::add(const QList<QUrl>& urls)
{
    if (!urls.isEmpty())
        save(files_ + urls);
}

void PendingOpenList::remove(const QList<QUrl>& urls)
{
    QList<QUrl> left = files_;
    for (const QUrl& url : urls)
        left.removeOne(url);
    if (left.size() != files_.size())
        save(left);
}

void PendingOpenList::save(const QList<QUrl>& files)
{
    QJsonArray paths;
    for (const QUrl& url : files)
        paths.append(url.toLocalFile());
    createPrivateFolders(QFileInfo(path_).absolutePath());
    // Private: it names the user's files.
    writeFileAtomically(path_, QJsonDocument(paths).toJson(QJsonDocument::Compact),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    files_ = files;
}

} // namespace orvane
