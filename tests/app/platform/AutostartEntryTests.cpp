#include "platform/AutostartEntry.h"
#include "SmallDisk.h"
#include "support/FileError.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

const QByteArray orvanesEntry = "[Desktop Entry]\n"
                                "Type=Application\n"
                                "Version=1.4\n"
                                "Name=Orvane\n"
                                "Comment=Open CSV, Excel, Word and PowerPoint files in Google Sheets, Docs and Slides\n"
                                "Icon=app.orvane.Orvane\n"
                                "Exec=orvane --background\n"
                                "TryExec=orvane\n"
                                "Terminal=false\n"
                                "StartupNotify=false\n"
                                "X-GNOME-Autostart-enabled=true\n";

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

class AutostartEntryTest : public ::testing::Test {
protected:
    QString entryPath() const { return home.filePath(u"config/autostart/app.orvane.Orvane.desktop"_s); }

    QTemporaryDir home;
    AutostartEntry entry{Environment{{u"HOME"_s, home.path()}, {u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s)}}};
};

TEST_F(AutostartEntryTest, OnWritesAValidEntryThatStartsOrvaneInTheBackgroundAndOffRemovesIt)
{
    EXPECT_EQ(entry.path(), entryPath());
    EXPECT_FALSE(entry.isEnabled());

    entry.setEnabled(true);

    EXPECT_EQ(contentsOf(entryPath()), orvanesEntry);
    EXPECT_TRUE(entry.isEnabled());
    QProcess validator;
    validator.setProcessChannelMode(QProcess::MergedChannels);
    validator.start(u"desktop-file-validate"_s, {entryPath()});
    ASSERT_TRUE(validator.waitForFinished());
    EXPECT_EQ(validator.exitCode(), 0);
    EXPECT_EQ(validator.readAll(), QByteArray()) << "not even a hint";

    entry.setEnabled(false);
    EXPECT_FALSE(QFile::exists(entryPath()));
    EXPECT_FALSE(entry.isEnabled());
    entry.setEnabled(false);
}

TEST_F(AutostartEntryTest, AnEntryTheDesktopSwitchedOffReadsAsOff)
{
    entry.setEnabled(true);
    writeFile(entryPath(), orvanesEntry + "Hidden=true\n");
    EXPECT_FALSE(entry.isEnabled());
    writeFile(entryPath(), QByteArray(orvanesEntry).replace("Autostart-enabled=true", "Autostart-enabled = false"));
    EXPECT_FALSE(entry.isEnabled());
    writeFile(entryPath(), orvanesEntry + "[Desktop Action Other]\nHidden=true\n");
    EXPECT_TRUE(entry.isEnabled());
}

TEST(AutostartFolder, IsXdgConfigHomesWhenAbsoluteElseTheHomesConfigFolder)
{
    const QString home = u"/home/aki"_s;
    EXPECT_EQ(AutostartEntry({{u"HOME"_s, home}, {u"XDG_CONFIG_HOME"_s, u"/srv/config"_s}}).path(),
              u"/srv/config/autostart/app.orvane.Orvane.desktop"_s);
    EXPECT_EQ(AutostartEntry({{u"HOME"_s, home}, {u"XDG_CONFIG_HOME"_s, u"config"_s}}).path(),
              u"/home/aki/.config/autostart/app.orvane.Orvane.desktop"_s);
    EXPECT_EQ(AutostartEntry({{u"HOME"_s, home}}).path(), u"/home/aki/.config/autostart/app.orvane.Orvane.desktop"_s);
}

TEST_F(AutostartEntryTest, AFullOrReadOnlyDiskFailsWithTheSystemsReasonAndKeepsTheEntryAsItWas)
{
    ASSERT_TRUE(QDir().mkpath(home.filePath(u"config"_s)));
    SmallDisk disk(home.filePath(u"config"_s));
    if (!disk.isMounted())
        GTEST_SKIP() << disk.refusal().toStdString();
    entry.setEnabled(true);
    disk.fill();

    try {
        entry.setEnabled(true);
        ADD_FAILURE() << "written on a full disk";
    } catch (const FileError& error) {
        EXPECT_EQ(error.localizedDescription(),
                  u"The file \u201C%1\u201D could not be written. (No space left on device)"_s.arg(entryPath()));
    }
    EXPECT_EQ(contentsOf(entryPath()), orvanesEntry);

    disk.makeReadOnly();
    try {
        entry.setEnabled(false);
        ADD_FAILURE() << "removed from a read-only disk";
    } catch (const FileError& error) {
        EXPECT_EQ(error.localizedDescription(),
                  u"The file \u201C%1\u201D could not be removed. (Read-only file system)"_s.arg(entryPath()));
    }
    EXPECT_TRUE(entry.isEnabled());
}

} // namespace
