#include "LauncherTest.h"
#include "OrvaneProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

TEST_F(LauncherTest, HandsItsFilesToTheRunningOrvaneWithoutStartingTheApplication)
{
    RunningOrvaneStandIn running(runtime.path());
    ASSERT_TRUE(running.start());

    QProcess launcher;
    launcher.setProcessEnvironment(environment());
    launcher.setWorkingDirectory(runtime.path());
    launcher.start(orvaneExecutable(), {u"report.csv"_s, u"/home/aki/Deck.pptx"_s});

    ASSERT_TRUE(running.received.wait(timeoutMilliseconds)) << launcher.readAllStandardError().toStdString();
    // The wait's event loop may already have seen the launcher end.
    ASSERT_TRUE(launcher.state() == QProcess::NotRunning || launcher.waitForFinished(timeoutMilliseconds));
    EXPECT_EQ(launcher.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(launcher.exitCode(), 0) << launcher.readAllStandardError().toStdString();
    const auto request = running.received.takeFirst().first().value<InstanceRequest>();
    EXPECT_EQ(request.fileURLs, (QList<QUrl>{QUrl::fromLocalFile(QDir(runtime.path()).filePath(u"report.csv"_s)),
                                            QUrl::fromLocalFile(u"/home/aki/Deck.pptx"_s)}));
}

TEST_F(LauncherTest, WithoutTheApplicationBesideItSaysWhatIsMissing)
{
    // A broken installation: the launcher on its own.
    QTemporaryDir installation;
    ASSERT_TRUE(QDir(installation.path()).mkpath(u"bin"_s));
    const QString launcherCopy = installation.filePath(u"bin/orvane"_s);
    ASSERT_TRUE(QFile::copy(orvaneExecutable(), launcherCopy));

    QProcess launcher;
    launcher.setProcessEnvironment(environment());
    launcher.start(launcherCopy, {u"/home/aki/report.csv"_s});

    ASSERT_TRUE(launcher.waitForFinished(timeoutMilliseconds));
    EXPECT_EQ(launcher.exitCode(), 127);
    EXPECT_EQ(QString::fromLocal8Bit(launcher.readAllStandardError()).trimmed(),
              u"orvane: cannot start %1: No such file or directory"_s.arg(
                  installation.filePath(u"libexec/orvane/orvane-app"_s)));
}

TEST_F(LauncherTest, AServiceRootThatIsNotAnAddressEndsLauncherAndApplicationWithStatus2BeforeAnythingOpens)
{
    const QString application = QDir::cleanPath(QFileInfo(orvaneExecutable()).dir().filePath(
        u"../libexec/orvane/orvane-app"_s));
    for (const QString& program : {orvaneExecutable(), application}) {
        QProcessEnvironment badRoot = environment();
        badRoot.insert(u"ORVANE_GOOGLE_SERVICE_ROOT"_s, u"127.0.0.1:8765"_s);
        QProcess orvane;
        orvane.setProcessEnvironment(badRoot);
        orvane.start(program, {u"/home/aki/report.csv"_s});

        ASSERT_TRUE(orvane.waitForFinished(timeoutMilliseconds)) << program.toStdString();
        EXPECT_EQ(orvane.exitStatus(), QProcess::NormalExit) << program.toStdString();
        EXPECT_EQ(orvane.exitCode(), 2) << program.toStdString();
        EXPECT_EQ(QString::fromUtf8(orvane.readAllStandardError()),
                  u"orvane: ORVANE_GOOGLE_SERVICE_ROOT is \u201C127.0.0.1:8765\u201D, which Orvane cannot use: it must "
                  u"be an http or https address of a host, with an optional port and no path, such as "
                  u"http://127.0.0.1:8765.\n"_s)
            << program.toStdString();
        EXPECT_TRUE(QDir(runtime.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            << "no socket, no lock: nothing was opened";
    }
}

} // namespace
