#include "state/PendingOpenList.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

QUrl file(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

} // namespace

// What one run takes and does not finish is what the next run reads back;
// a file taken twice stays until both its opens end.
TEST(PendingOpenList, KeepsTakenFilesAcrossRunsInOrderUntilEachOpenEnds)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"stand-ins/x/pending-opens.json"_s);
    {
        PendingOpenList run(path);
        EXPECT_TRUE(run.filesLeftByEarlierRun().isEmpty());
        run.add({file(u"/a.csv"_s), file(u"/b.csv"_s)});
        run.add({file(u"/a.csv"_s), file(u"/c.csv"_s)});
        run.remove({file(u"/a.csv"_s), file(u"/unknown.csv"_s)});
    }

    PendingOpenList next(path);

    const QList<QUrl> left{file(u"/b.csv"_s), file(u"/a.csv"_s), file(u"/c.csv"_s)};
    EXPECT_EQ(next.filesLeftByEarlierRun(), left);
    next.add({file(u"/d.csv"_s)});
    EXPECT_EQ(next.filesLeftByEarlierRun(), left) << "what this run takes is not what it was left";
    EXPECT_EQ(next.files(), left + QList{file(u"/d.csv"_s)});
    EXPECT_EQ(QFile(path).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
}
