#include "SmallDisk.h"
#include "routing/Preferences.h"
#include "state/DriveFolderStore.h"
#include "support/AtomicFileWrite.h"
#include "support/FileError.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
}

// The only file names in the folder but the disk's own filler.
QStringList filesIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    names.removeAll(u".filler"_s);
    return names;
}

class FullDiskTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!disk.isMounted())
            GTEST_SKIP() << disk.refusal().toStdString();
    }

    QString pathOnDisk(const QString& name) const { return disk.path() + u'/' + name; }

    SmallDisk disk;
};

} // namespace

TEST_F(FullDiskTest, AWriteThatMeetsAFullDiskFailsWithTheReasonAndLeavesTheOldFileAndNoTemporaryFile)
{
    const QString path = pathOnDisk(u"local-state.json"_s);
    writeFile(path, "[\"the records before\"]");
    disk.fill();

    try {
        writeFileAtomically(path, "[\"new records\"]");
        FAIL() << "the write reported success; the file now holds: " << contentsOf(path).toStdString();
    } catch (const FileError& error) {
        EXPECT_EQ(error, FileError(FileError::Kind::writeFailed, path, u"No space left on device"_s));
    }
    EXPECT_EQ(contentsOf(path), "[\"the records before\"]");
    EXPECT_EQ(filesIn(disk.path()), QStringList{u"local-state.json"_s});
}

TEST_F(FullDiskTest, AWriteWithRoomLandsWholeWithTheGivenPermissions)
{
    const QString path = pathOnDisk(u"orvane-sample.csv"_s);
    writeFile(path, "old");

    writeFileAtomically(path, "Name,Team\n", QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    EXPECT_EQ(contentsOf(path), "Name,Team\n");
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_EQ(filesIn(disk.path()), QStringList{u"orvane-sample.csv"_s});
}

// QSettings makes its lock file first: with room for that alone, Qt 6.4
// renames an empty file over the settings and reports no error.
TEST_F(FullDiskTest, SavingPreferencesOnAFullDiskFailsAndKeepsTheSettingsFileAsItWas)
{
    const QString path = pathOnDisk(u"Orvane.conf"_s);
    const QByteArray before = "[General]\nhasCompletedOnboarding=true\nrootFolderName=Work\n";
    writeFile(path, before);
    QSettings settings(path, QSettings::IniFormat);
    PreferencesStore store(settings);
    ASSERT_EQ(store.load().rootFolderName, u"Work"_s);
    disk.fill(4096);

    EXPECT_THROW(store.save({.rootFolderName = u"Elsewhere"_s, .hasCompletedOnboarding = true}), FileError);

    EXPECT_EQ(contentsOf(path), before);
    EXPECT_EQ(filesIn(disk.path()), QStringList{u"Orvane.conf"_s});
}

TEST_F(FullDiskTest, SavingPreferencesWithRoomWritesThemForTheNextRun)
{
    const QString path = pathOnDisk(u"Orvane.conf"_s);
    QSettings settings(path, QSettings::IniFormat);

    PreferencesStore(settings).save({.rootFolderName = u"Elsewhere"_s, .hasCompletedOnboarding = true});

    EXPECT_TRUE(contentsOf(path).contains("rootFolderName=Elsewhere\n"));
    EXPECT_EQ(filesIn(disk.path()), QStringList{u"Orvane.conf"_s});
}

// The folder IDs are what keeps a lagging search from making a folder twice:
// a full disk must not empty them.
TEST_F(FullDiskTest, RememberingAFolderOnAFullDiskFailsAndKeepsTheFoldersRememberedBefore)
{
    DriveFolderStore store(pathOnDisk(DriveFolderStore::fileName));
    store.remember(u"Opened from Mac"_s, u"root"_s, {u"folder-1"_s, u"my-drive"_s});
    disk.fill();

    EXPECT_THROW(store.remember(u"CSV Imports"_s, u"folder-1"_s, {u"folder-2"_s, std::nullopt}), FileError);

    EXPECT_EQ(store.folder(u"Opened from Mac"_s, u"root"_s), (RememberedFolder{u"folder-1"_s, u"my-drive"_s}));
    EXPECT_EQ(filesIn(disk.path()), QStringList{DriveFolderStore::fileName});
}
