#pragma once

#include <QList>
#include <QString>
#include <QUrl>

namespace orvane {

// The files Orvane has taken and not finished opening, kept on disk (a JSON
// array of paths, in the order they were taken) so that a quit, a logout, a
// kill or a crash cannot lose them: a file is added before its sender is
// told it was taken, and removed when its open ends. What one run leaves is
// what the next run offers to open again.
class PendingOpenList {
public:
    // Reads what an earlier run left at path; a file that cannot be read
    // counts as none left (it is replaced by the first change).
    explicit PendingOpenList(QString path);

    const QList<QUrl>& files() const { return files_; }
    // The files the list held when it was read: what an earlier run left.
    const QList<QUrl>& filesLeftByEarlierRun() const { return leftByEarlierRun_; }

    // Written through at once. Throws FileError; the list is then as before.
    void add(const QList<QUrl>& urls);
    // One entry for each of urls, the earliest first.
    void remove(const QList<QUrl>& urls);

private:
    void save(const QList<QUrl>& files);

    QString path_;
    QList<QUrl> files_;
    QList<QUrl> leftByEarlierRun_;
};

} // namespace orvane
