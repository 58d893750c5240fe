#include "DesktopTest.h"
#include "SmallDisk.h"
#include "state/DriveFolderStore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

const QString uploadPath = u"/upload/drive/v3/files"_s;

class EndToEndTest : public DesktopTest {
protected:
    std::unique_ptr<OrvaneProcess> start(const QStringList& arguments = {}) const { return desktop->start(arguments); }
    QString writeFile(const QString& name, const QByteArray& content) const
    {
        return desktop->writeFile(name, content);
    }
    QString stateFilePath() const { return desktop->stateFilePath(); }
    QStringList browserCalls() const { return desktop->browserCalls(); }
    // Uploads begun: each opens a session.
    qsizetype uploadCount() const { return emulator.requests(uploadPath, "POST").size(); }

    // The Sheets page of the one uploaded file.
    QString sheetsPage() const
    {
        for (const orvane::testsupport::EmulatedDriveItem& item : emulator.files())
            if (!item.isFolder())
                return emulator.rootUrl().toString() + u"/spreadsheets/d/"_s + item.id + u"/edit"_s;
        return {};
    }
};

TEST_F(EndToEndTest, FirstLaunchWithAFileBeforeOnboardingUploadsNothingAndShowsOnboarding)
{
    const auto orvane = start({writeFile(u"report.csv"_s, "a,b\n1,2\n")});

    ASSERT_TRUE(orvane->waitForLine(u"Status: Complete setup before opening files from the file manager."_s))
        << orvane->output().toStdString();
    ASSERT_TRUE(orvane->waitForLine(u"Showing window: Orvane"_s)) << orvane->output().toStdString();
    EXPECT_TRUE(orvane->waitForLine(u"Onboarding shown"_s)) << orvane->output().toStdString();
    EXPECT_EQ(uploadCount(), 0);
    EXPECT_TRUE(emulator.requests().isEmpty());
    EXPECT_TRUE(browserCalls().isEmpty());
    EXPECT_FALSE(QFile::exists(stateFilePath()));
}

TEST_F(EndToEndTest, WindowsDrawInSoftwareUnlessTheEnvironmentNamesARenderer)
{
    desktop->completeOnboarding();
    const auto drawnWith = [this](const QString& variable, const QString& value) {
        QProcessEnvironment environment = desktop->environment();
        if (!variable.isEmpty())
            environment.insert(variable, value);
        OrvaneProcess orvane(environment, {});
        EXPECT_TRUE(orvane.waitForLine(u"Drawing window: Orvane with"_s)) << orvane.output().toStdString();
        const QStringList lines = orvane.lines().filter(u"Drawing window: Orvane with"_s);
        return lines.isEmpty() ? QString() : lines.first().section(u" with "_s, -1);
    };

    EXPECT_EQ(drawnWith({}, {}), u"software"_s);
    EXPECT_EQ(drawnWith(u"QSG_RHI_BACKEND"_s, u"opengl"_s), u"OpenGL"_s);
    EXPECT_EQ(drawnWith(u"QT_QUICK_BACKEND"_s, u"rhi"_s), u"OpenGL"_s);
}

TEST_F(EndToEndTest, SignsInThroughTheBrowserUploadsAndOpensTheSheetsPageKeepingTokensOnlyInTheKeyring)
{
    desktop->completeOnboarding();
    const QString file = writeFile(u"Quarterly report.csv"_s, "Name,Team\nAki,Sales\n");

    const auto orvane = start({file});

    ASSERT_TRUE(orvane->waitForLine(u"Status: Uploaded and opened Quarterly report.csv"_s))
        << orvane->output().toStdString();
    // Without a tray, an open that needed no window ends the process.
    EXPECT_EQ(orvane->waitForExit(), 0) << orvane->output().toStdString();
    const QStringList calls = desktop->waitForBrowserCalls(2);
    ASSERT_EQ(calls.size(), 2) << calls.join(u'\n').toStdString();
    EXPECT_TRUE(calls[0].startsWith(emulator.rootUrl().toString() + u"/o/oauth2/v2/auth?"_s));
    EXPECT_EQ(calls[1], sheetsPage());
    EXPECT_EQ(uploadCount(), 1);

    const QByteArray state = readFile(stateFilePath());
    const QString filePath = QDir(desktop->profilePath()).filePath(u"files/Quarterly report.csv"_s);
    EXPECT_TRUE(state.contains(filePath.toUtf8())) << state.data();
    EXPECT_TRUE(state.contains(sheetsPage().toUtf8())) << state.data();
    EXPECT_FALSE(QFile::exists(desktop->usersStateFilePath())) << "the stand-in's page is not the user's record";

    const std::optional<OAuthTokenSet> tokens = storedTokens();
    ASSERT_TRUE(tokens);
    ASSERT_TRUE(tokens->refreshToken);
    QDirIterator everyFile(desktop->profilePath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (everyFile.hasNext()) {
        const QByteArray content = readFile(everyFile.next());
        EXPECT_FALSE(content.contains(tokens->accessToken.toUtf8())) << everyFile.filePath().toStdString();
        EXPECT_FALSE(content.contains(tokens->refreshToken->toUtf8())) << everyFile.filePath().toStdString();
    }
    EXPECT_FALSE(orvane->output().contains(tokens->accessToken));
}

TEST_F(EndToEndTest, FileOpenedWhileOrvaneRunsIsHandedOverAndAnUnchangedOneReused)
{
    desktop->completeOnboarding();
    const QString file = writeFile(u"handed.csv"_s, "x,y\n3,4\n");
    const auto running = start();
    ASSERT_TRUE(running->waitForLine(u"Showing window: Orvane"_s)) << running->output().toStdString();

    for (int opening = 0; opening < 2; ++opening) {
        const auto later = start({file});
        EXPECT_EQ(later->waitForExit(), 0) << later->output().toStdString();
    }

    ASSERT_TRUE(running->waitForLine(u"Status: Opened existing Google file for handed.csv"_s))
        << running->output().toStdString();
    EXPECT_TRUE(running->output().contains(u"Status: Uploaded and opened handed.csv"_s));
    EXPECT_EQ(uploadCount(), 1);
    const QStringList calls = desktop->waitForBrowserCalls(3);
    EXPECT_EQ(calls.count(sheetsPage()), 2) << calls.join(u'\n').toStdString();
}

TEST_F(EndToEndTest, OpensOneAfterTheOtherWhileDrivesSearchLagsMakeOneFolderOfEachName)
{
    desktop->completeOnboarding();
    storeSignIn();
    // Drive's search shows none of the folders Orvane makes during the test.
    emulator.lagSearchBehind(std::chrono::minutes(10));
    for (const auto& [name, content] : {std::pair{u"one.csv"_s, "1\n"_ba}, std::pair{u"two.xlsx"_s, "PK"_ba},
                                        std::pair{u"three.csv"_s, "3\n"_ba}}) {
        // Without a tray every open is a new Orvane.
        const auto orvane = start({writeFile(name, content)});
        ASSERT_EQ(orvane->waitForExit(), 0) << orvane->output().toStdString();
        EXPECT_TRUE(orvane->output().contains(u"Status: Uploaded and opened "_s + name)) << orvane->output().toStdString();
    }
    QStringList folders;
    for (const EmulatedDriveItem& item : emulator.files()) {
        if (item.isFolder())
            folders.append(item.name);
    }
    EXPECT_EQ(folders, (QStringList{u"Opened from Mac"_s, u"CSV Imports"_s, u"Sheets"_s}));
    EXPECT_EQ(emulator.files().size(), 6);
}

TEST_F(EndToEndTest, AnOpenWhoseUploadAnswerIsLostMakesOneFileAndOpensItsPageOnce)
{
    desktop->completeOnboarding();
    storeSignIn();
    // Drive keeps the file but its answer never arrives, and its search does not show the file yet.
    emulator.lagSearchBehind(std::chrono::minutes(10));
    emulator.dropNextAnswers(uploadPath, 1, "PUT");

    const auto orvane = start({writeFile(u"lost answer.csv"_s, "a,b\n1,2\n")});

    ASSERT_EQ(orvane->waitForExit(), 0) << orvane->output().toStdString();
    EXPECT_TRUE(orvane->output().contains(u"Status: Uploaded and opened lost answer.csv"_s)) << orvane->output().toStdString();
    QList<EmulatedDriveItem> files = emulator.files();
    files.removeIf([](const EmulatedDriveItem& item) { return item.isFolder(); });
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(orvane->countLines(u"Opening in the browser:"_s), 1);
    EXPECT_EQ(desktop->waitForBrowserCalls(1), QStringList{sheetsPage()});
    EXPECT_TRUE(readFile(stateFilePath()).contains(files.first().id.toUtf8()));
}

TEST_F(EndToEndTest, FailedUploadSaysSoAndLeavesTheStateFileAsItWas)
{
    desktop->completeOnboarding();
    const auto first = start({writeFile(u"first.csv"_s, "1\n")});
    ASSERT_EQ(first->waitForExit(), 0) << first->output().toStdString();
    const QByteArray stateBefore = readFile(stateFilePath());
    ASSERT_FALSE(stateBefore.isEmpty());
    // A refusal that is not passing: no retry, and Google's reason reaches the user.
    emulator.injectFault({{u"path"_s, uploadPath}, {u"status"_s, 403}, {u"reason"_s, u"storageQuotaExceeded"_s},
                          {u"message"_s, u"The user's Drive storage quota has been exceeded."_s}});

    const auto failing = start({writeFile(u"second.csv"_s, "2\n")});

    ASSERT_TRUE(failing->waitForLine(u"Status: Could not open second.csv"_s)) << failing->output().toStdString();
    EXPECT_TRUE(failing->output().contains(
        u"Error: Google Drive answered with an unexpected response: The user's Drive storage quota has been exceeded."_s))
        << failing->output().toStdString();
    // The error is shown in the window, which the failed open brings up.
    EXPECT_TRUE(failing->waitForLine(u"Showing window: Orvane"_s)) << failing->output().toStdString();
    EXPECT_EQ(readFile(stateFilePath()), stateBefore);
    EXPECT_EQ(emulator.requests(uploadPath).last().status, 403);
}

TEST_F(EndToEndTest, AnOpenWhoseRecordMeetsAFullDiskSaysSoAndLeavesTheStateFileWhole)
{
    desktop->completeOnboarding();
    storeSignIn();
    const auto first = start({writeFile(u"first.csv"_s, "1\n")});
    ASSERT_EQ(first->waitForExit(), 0) << first->output().toStdString();
    const QByteArray stateBefore = readFile(stateFilePath());
    ASSERT_TRUE(stateBefore.contains("first.csv"));
    // The records and the remembered folders move onto a small disk, which
    // then fills up: the folders need no writing, the record does.
    const QString foldersPath = QFileInfo(stateFilePath()).dir().filePath(DriveFolderStore::fileName);
    const QByteArray foldersBefore = readFile(foldersPath);
    ASSERT_FALSE(foldersBefore.isEmpty());
    SmallDisk disk(QFileInfo(stateFilePath()).path());
    if (!disk.isMounted())
        GTEST_SKIP() << disk.refusal().toStdString();
    for (const auto& [path, contents] : {std::pair{stateFilePath(), stateBefore}, std::pair{foldersPath, foldersBefore}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
    }
    disk.fill();

    const auto second = start({writeFile(u"second.csv"_s, "2\n")});

    ASSERT_TRUE(second->waitForLine(u"Status: Could not open second.csv"_s)) << second->output().toStdString();
    EXPECT_TRUE(second->output().contains(u"Error: The file \u201C%1\u201D could not be written. (No space left on device)"_s
                                              .arg(stateFilePath())))
        << second->output().toStdString();
    EXPECT_FALSE(second->output().contains(u"Uploaded and opened"_s)) << second->output().toStdString();
    EXPECT_EQ(readFile(stateFilePath()), stateBefore);
}

TEST_F(EndToEndTest, CorruptStateFileIsReportedByNameAndLeftAsItWas)
{
    desktop->completeOnboarding();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(stateFilePath()).path()));
    const QByteArray corrupt = "{\"records\": [{\"id\": 1";
    QFile state(stateFilePath());
    ASSERT_TRUE(state.open(QIODevice::WriteOnly));
    state.write(corrupt);
    state.close();

    const auto orvane = start({writeFile(u"any.csv"_s, "a\n")});

    ASSERT_TRUE(orvane->waitForLine(u"Error:"_s)) << orvane->output().toStdString();
    EXPECT_TRUE(orvane->output().contains(u"local-state.json"_s)) << orvane->output().toStdString();
    EXPECT_EQ(readFile(stateFilePath()), corrupt);
    EXPECT_EQ(uploadCount(), 0);
}

} // namespace
