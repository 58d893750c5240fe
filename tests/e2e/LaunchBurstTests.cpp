#include "DesktopTest.h"

#include <QThread>

#include <gtest/gtest.h>

#include <vector>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

const QString uploadPath = u"/upload/drive/v3/files"_s;

// Many `orvane FILE` commands at once, as a file manager runs them when the
// user opens a selection of files, against the real executables on a
// desktop without a tray: no file may be lost, none uploaded twice, and only
// one of the processes may make the GUI.
class LaunchBurstTest : public DesktopTest {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        if (IsSkipped())
            return;
        desktop->completeOnboarding();
        storeSignIn();
    }

    // Starts `orvane FILE` for count new files, pause apart; their names.
    QStringList launch(int count, std::chrono::milliseconds pause = {})
    {
        QStringList names;
        for (int index = 1; index <= count; ++index) {
            const QString name = u"burst-%1.csv"_s.arg(index, 2, 10, QChar(u'0'));
            names.append(name);
            launches.push_back(desktop->start({desktop->writeFile(name, "file," + QByteArray::number(index) + "\n")}));
            QThread::msleep(pause.count());
        }
        return names;
    }

    // Every launch ended well; the names of the files on Drive, sorted.
    QStringList waitForAll()
    {
        for (const std::unique_ptr<OrvaneProcess>& launched : launches)
            EXPECT_EQ(launched->waitForExit(), 0) << launched->output().toStdString();
        QStringList uploaded;
        for (const EmulatedDriveItem& item : emulator.files())
            if (!item.isFolder())
                uploaded.append(item.name);
        uploaded.sort();
        return uploaded;
    }

    qsizetype guiProcesses() const
    {
        return std::count_if(launches.begin(), launches.end(),
                             [](const std::unique_ptr<OrvaneProcess>& launched) { return launched->countLines(u"orvane.activity: Started"_s) > 0; });
    }

    std::vector<std::unique_ptr<OrvaneProcess>> launches;
};

TEST_F(LaunchBurstTest, FiftyLaunchesAtOnceWithNothingRunningMakeOneOrvaneThatUploadsEachFileOnce)
{
    const QStringList names = launch(50);

    EXPECT_EQ(waitForAll(), names);
    EXPECT_EQ(emulator.requests(uploadPath).size(), 50);
    EXPECT_EQ(guiProcesses(), 1);
    EXPECT_EQ(desktop->waitForBrowserCalls(50).size(), 50);
}

// Every other request is handed over while the first upload hangs: they wait
// their turn in the one Orvane, which ends only after the last of them.
TEST_F(LaunchBurstTest, FiftyLaunchesDuringAStalledUploadAreAllUploadedOnceBeforeOrvaneEnds)
{
    emulator.stallNextRequests(uploadPath, std::chrono::milliseconds(1500));

    const QStringList names = launch(50);

    EXPECT_EQ(waitForAll(), names);
    EXPECT_EQ(emulator.requests(uploadPath).size(), 50);
    EXPECT_EQ(guiProcesses(), 1);
}

// Orvane ends when it has nothing left to open, and files keep coming: each
// either reaches it before it decides to end, or is left to a new Orvane.
TEST_F(LaunchBurstTest, FilesOpenedOneAfterAnotherWhileOrvaneComesAndGoesAreEachUploadedOnce)
{
    const QStringList names = launch(20, std::chrono::milliseconds(40));

    EXPECT_EQ(waitForAll(), names);
    EXPECT_EQ(emulator.requests(uploadPath).size(), 20);
    EXPECT_GE(guiProcesses(), 1);
}

} // namespace
