#include "LauncherTest.h"
#include "OrvaneProcess.h"
#include "launcher/LauncherCommandLine.h"

#include <QCoreApplication>
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

using Request = LauncherCommandLine::Request;

TEST(LauncherCommandLineParsing, FilesKeepTheirOrderAndEverythingAfterDoubleDashIsAFile)
{
    const LauncherCommandLine commandLine =
        LauncherCommandLine::parse({u"report.csv"_s, u"-"_s, u"--"_s, u"-notes.csv"_s, u"--help"_s, u"--"_s});

    EXPECT_EQ(commandLine.request, Request::openFiles);
    EXPECT_EQ(commandLine.files, (QStringList{u"report.csv"_s, u"-"_s, u"-notes.csv"_s, u"--help"_s, u"--"_s}));
}

TEST(LauncherCommandLineParsing, BackgroundIsAnOptionAnywhereBeforeDoubleDashAndHelpWinsOverIt)
{
    EXPECT_EQ(LauncherCommandLine::parse({u"--background"_s}), LauncherCommandLine{.inBackground = true});
    EXPECT_EQ(LauncherCommandLine::parse({u"report.csv"_s, u"--background"_s, u"--"_s, u"--background"_s}),
              (LauncherCommandLine{.files = {u"report.csv"_s, u"--background"_s}, .inBackground = true}));
    EXPECT_EQ(LauncherCommandLine::parse({u"--background"_s, u"--help"_s}), LauncherCommandLine{.request = Request::showHelp});
}

TEST(LauncherCommandLineParsing, HelpWinsOverVersionAndOpensNoFile)
{
    EXPECT_EQ(LauncherCommandLine::parse({u"report.csv"_s, u"--version"_s, u"-h"_s}),
              LauncherCommandLine{.request = Request::showHelp});
    EXPECT_EQ(LauncherCommandLine::parse({u"--version"_s, u"report.csv"_s}),
              LauncherCommandLine{.request = Request::showVersion});
}

TEST(LauncherCommandLineParsing, AnUnknownOptionWinsOverEverythingAndTheFirstIsNamed)
{
    // "-hv" is not read as "-h -v", and an option never takes a value.
    for (const QString& unknown : {u"-hv"_s, u"--help=all"_s, u"-v"_s, u"-platform"_s}) {
        EXPECT_EQ(LauncherCommandLine::parse({u"--help"_s, u"report.csv"_s, unknown, u"--frobnicate"_s}),
                  (LauncherCommandLine{.request = Request::usageError, .unknownOption = unknown}));
    }
}

TEST(LauncherHelp, NamesEveryFileTypeTheEnvironmentVariablesAndWhereTheClientFilesGo)
{
    const QString help = launcherHelpText(
        {.userFile = u"/home/aki/.local/share/Orvane/oauth-client.json"_s, .installedFile = u"/usr/share/orvane/GoogleOAuth.json"_s});

    EXPECT_TRUE(help.startsWith(u"Usage: orvane [FILE]...\n"_s));
    for (const QString& expected :
         {u"File types: .csv .tsv .xls .xlsx .xlsm .doc .docx .ppt .pptx\n"_s, u"  -h, --help "_s,
          u"      --version "_s, u"      --background "_s, u"    ORVANE_GOOGLE_CLIENT_ID "_s, u"    ORVANE_GOOGLE_CLIENT_SECRET "_s,
          u"  ORVANE_GOOGLE_SERVICE_ROOT "_s, u"    /home/aki/.local/share/Orvane/oauth-client.json\n"_s,
          u"    /usr/share/orvane/GoogleOAuth.json\n"_s, u"https://www.googleapis.com/auth/drive.file"_s})
        EXPECT_TRUE(help.contains(expected)) << expected.toStdString();
}

TEST(LauncherHelp, EveryLineFitsAnEightyColumnTerminal)
{
    const QString help = launcherHelpText({.userFile = u"~/oauth-client.json"_s, .installedFile = u"/GoogleOAuth.json"_s});
    for (const QString& line : help.split(u'\n'))
        EXPECT_LE(line.size(), 80) << line.toStdString();
}

// The orvane command, with this user's data folder in the runtime folder.
class LauncherCommandTest : public LauncherTest {
protected:
    LauncherCommandTest() { commandEnvironment.insert(u"XDG_DATA_HOME"_s, runtime.filePath(u"data"_s)); }

    // Runs the command to its end.
    void run(QProcess& launcher, const QString& program, const QStringList& arguments) const
    {
        launcher.setProcessEnvironment(commandEnvironment);
        launcher.setWorkingDirectory(runtime.path());
        launcher.start(program, arguments);
        ASSERT_TRUE(launcher.waitForFinished(timeoutMilliseconds));
        ASSERT_EQ(launcher.exitStatus(), QProcess::NormalExit);
    }

    QProcessEnvironment commandEnvironment = environment();
};

TEST_F(LauncherCommandTest, AnUnknownOptionEndsWithStatusTwoAndAHintAndHandsNothingOver)
{
    RunningOrvaneStandIn running(runtime.path());
    ASSERT_TRUE(running.start());

    QProcess launcher;
    run(launcher, orvaneExecutable(), {u"report.csv"_s, u"--frobnicate"_s});

    EXPECT_EQ(launcher.exitCode(), 2);
    EXPECT_EQ(launcher.readAllStandardError(),
              "orvane: unknown option '--frobnicate'\nTry 'orvane --help' for more information.\n");
    EXPECT_EQ(launcher.readAllStandardOutput(), "");
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_EQ(running.received.count(), 0);
}

TEST_F(LauncherCommandTest, HelpNamesThisUsersClientFileAndTheInstallationsBesideTheCommand)
{
    QProcess launcher;
    run(launcher, orvaneExecutable(), {u"--help"_s});

    EXPECT_EQ(launcher.exitCode(), 0);
    EXPECT_EQ(launcher.readAllStandardError(), "");
    const QString help = QString::fromLocal8Bit(launcher.readAllStandardOutput());
    const QString userFile = runtime.filePath(u"data/Orvane/oauth-client.json"_s);
    const QString installedFile =
        QDir::cleanPath(QFileInfo(orvaneExecutable()).path() + u"/../share/orvane/GoogleOAuth.json"_s);
    EXPECT_EQ(help, launcherHelpText({.userFile = userFile, .installedFile = installedFile}));
}

TEST_F(LauncherCommandTest, VersionIsTheProjectVersion)
{
    QProcess launcher;
    run(launcher, orvaneExecutable(), {u"--version"_s});

    EXPECT_EQ(launcher.exitCode(), 0);
    EXPECT_EQ(launcher.readAllStandardOutput(), "orvane " ORVANE_PROJECT_VERSION "\n");
}

TEST_F(LauncherCommandTest, HelpAndVersionAnswerEvenWhenTheServiceRootIsUnusable)
{
    // Someone puzzled by a refused stand-in address can still read the help.
    commandEnvironment.insert(u"ORVANE_GOOGLE_SERVICE_ROOT"_s, u"127.0.0.1:8765"_s);
    for (const QString& option : {u"--help"_s, u"--version"_s}) {
        QProcess launcher;
        run(launcher, orvaneExecutable(), {option});
        EXPECT_EQ(launcher.exitCode(), 0) << launcher.readAllStandardError().toStdString();
    }
}

TEST_F(LauncherCommandTest, StartsTheApplicationWithAbsolutePathsSoNoFileReadsAsAnOption)
{
    // An installation whose application writes down its arguments.
    QTemporaryDir installation;
    ASSERT_TRUE(QDir(installation.path()).mkpath(u"bin"_s));
    ASSERT_TRUE(QDir(installation.path()).mkpath(u"libexec/orvane"_s));
    ASSERT_TRUE(QFile::copy(orvaneExecutable(), installation.filePath(u"bin/orvane"_s)));
    QFile application(installation.filePath(u"libexec/orvane/orvane-app"_s));
    ASSERT_TRUE(application.open(QIODevice::WriteOnly));
    application.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.arguments\"\n");
    application.close();
    application.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcess launcher;
    run(launcher, installation.filePath(u"bin/orvane"_s), {u"--"_s, u"-style"_s, u"../report.csv"_s});

    EXPECT_EQ(launcher.exitCode(), 0) << launcher.readAllStandardError().toStdString();
    QFile arguments(application.fileName() + u".arguments"_s);
    ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(arguments.readAll()),
              runtime.filePath(u"-style"_s) + u'\n' + QDir::cleanPath(runtime.filePath(u"../report.csv"_s)) + u'\n');
}

} // namespace
