#include "GoogleEmulatorProcess.h"
#include "routing/Preferences.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <optional>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

constexpr int timeoutMilliseconds = 30'000;

// Orvane processes started the way the file manager starts them, each with
// the same user's folders, against the Google emulator.
class InstanceHandOverTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    QTemporaryDir workingDirectory;
    orvane::testsupport::GoogleEmulatorProcess emulator;

    InstanceHandOverTest()
    {
        QDir(home.path()).mkpath(u"runtime"_s);
        QSettings defaults(home.filePath(u"config/Orvane/Orvane.conf"_s), QSettings::IniFormat);
        PreferencesStore(defaults).save({.hasCompletedOnboarding = true});
    }

    // A patience shorter than the usual one, when given; the process's
    // standard error is then read by the test.
    std::unique_ptr<QProcess> start(const QStringList& arguments, std::optional<int> patienceMilliseconds = {}) const
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (patienceMilliseconds)
            environment.insert(u"ORVANE_PROBE_PATIENCE_MS"_s, QString::number(*patienceMilliseconds));
        environment.insert(u"XDG_RUNTIME_DIR"_s, home.filePath(u"runtime"_s));
        environment.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
        environment.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
        environment.insert(u"ORVANE_GOOGLE_SERVICE_ROOT"_s, emulator.rootUrl().toString());
        environment.insert(u"ORVANE_GOOGLE_CLIENT_ID"_s, emulator.clientId());
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(workingDirectory.path());
        process->setProcessChannelMode(patienceMilliseconds ? QProcess::SeparateChannels
                                                            : QProcess::ForwardedErrorChannel);
        process->start(QStringLiteral(ORVANE_INSTANCE_PROBE_PATH), arguments);
        EXPECT_TRUE(process->waitForStarted(timeoutMilliseconds));
        return process;
    }

    // The lines the process prints up to and including `last`.
    static QStringList linesUntil(QProcess& process, const QString& last)
    {
        QStringList lines;
        while (lines.isEmpty() || lines.last() != last) {
            while (!process.canReadLine()) {
                if (!process.waitForReadyRead(timeoutMilliseconds)) {
                    ADD_FAILURE() << "no line " << last.toStdString() << " after " << lines.join(u" | "_s).toStdString();
                    return lines;
                }
            }
            lines.append(QString::fromUtf8(process.readLine()).chopped(1));
        }
        return lines;
    }

    static void expectHandedOver(QProcess& process)
    {
        ASSERT_TRUE(process.waitForFinished(timeoutMilliseconds));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_EQ(process.readAllStandardOutput(), QByteArray()) << "a process that hands over shows nothing";
    }

    static void stop(QProcess& process)
    {
        process.terminate();
        process.waitForFinished(timeoutMilliseconds);
        EXPECT_EQ(process.readAllStandardOutput(), QByteArray()) << "nothing more happened";
    }

    QString writeFile(const QString& name) const
    {
        QFile file(workingDirectory.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Region,Amount\nNorth,10\n");
        return file.fileName();
    }

    // Browser lines that show a Google editor page of the emulator.
    qsizetype editorPagesIn(const QStringList& lines) const
    {
        const QString prefix = u"browser\t"_s + emulator.rootUrl().toString() + u"/spreadsheets/d/"_s;
        return std::count_if(lines.begin(), lines.end(), [&prefix](const QString& line) { return line.startsWith(prefix); });
    }
};

TEST_F(InstanceHandOverTest, SecondProcessHandsItsFilesToTheFirstWhichOpensThemOnce)
{
    writeFile(u"sales.csv"_s);
    const std::unique_ptr<QProcess> first = start({});
    ASSERT_EQ(linesUntil(*first, u"listening"_s), QStringList{u"listening"_s});

    const std::unique_ptr<QProcess> second = start({u"sales.csv"_s});
    expectHandedOver(*second);
    const QStringList opened = linesUntil(*first, u"status\tUploaded and opened sales.csv"_s);

    ASSERT_FALSE(opened.isEmpty());
    EXPECT_EQ(opened.first(), u"status\tOpening sales.csv..."_s);
    EXPECT_EQ(opened.count(u"status\tOpening sales.csv..."_s), 1);
    EXPECT_EQ(editorPagesIn(opened), 1);
    EXPECT_EQ(emulator.requests(u"/upload/drive/v3/files"_s, "POST").size(), 1);

    const std::unique_ptr<QProcess> third = start({});
    expectHandedOver(*third);
    EXPECT_EQ(linesUntil(*first, u"window"_s), QStringList{u"window"_s}) << "a start without files is a reopen";

    stop(*first);
}

TEST_F(InstanceHandOverTest, SocketOfAKilledFirstProcessDoesNotStopTheNextOne)
{
    const QString sales = writeFile(u"sales.csv"_s);
    const std::unique_ptr<QProcess> crashed = start({});
    ASSERT_EQ(linesUntil(*crashed, u"listening"_s), QStringList{u"listening"_s});
    ::kill(pid_t(crashed->processId()), SIGKILL);
    ASSERT_TRUE(crashed->waitForFinished(timeoutMilliseconds));
    ASSERT_EQ(QDir(home.filePath(u"runtime"_s)).entryList({u"orvane-*.socket"_s}, QDir::System).size(), 1)
        << "the killed process's socket is left behind";

    const std::unique_ptr<QProcess> next = start({sales});
    const QStringList lines = linesUntil(*next, u"status\tUploaded and opened sales.csv"_s);
    EXPECT_EQ(lines.first(), u"listening"_s);
    EXPECT_EQ(editorPagesIn(lines), 1);

    const std::unique_ptr<QProcess> later = start({u"sales.csv"_s});
    expectHandedOver(*later);
    const QStringList reopened = linesUntil(*next, u"status\tOpened existing Google file for sales.csv"_s);
    EXPECT_EQ(reopened.first(), u"status\tOpening sales.csv..."_s);
    EXPECT_EQ(editorPagesIn(reopened), 1);

    stop(*next);
}

// The file manager's start gives up on an Orvane that does not answer (here
// stopped, as a debugger or an overloaded machine would) and says so; when
// that Orvane goes on, it must not open the file behind the user's back.
TEST_F(InstanceHandOverTest, AFileWhoseStartGaveUpOnAStoppedOrvaneIsNotOpenedWhenItResumes)
{
    writeFile(u"late.csv"_s);
    writeFile(u"sales.csv"_s);
    const std::unique_ptr<QProcess> first = start({});
    ASSERT_EQ(linesUntil(*first, u"listening"_s), QStringList{u"listening"_s});

    ::kill(pid_t(first->processId()), SIGSTOP);
    const std::unique_ptr<QProcess> gaveUp = start({u"late.csv"_s}, 300);
    ASSERT_TRUE(gaveUp->waitForFinished(timeoutMilliseconds));
    ::kill(pid_t(first->processId()), SIGCONT);
    EXPECT_EQ(gaveUp->exitCode(), 1);
    EXPECT_EQ(gaveUp->readAllStandardError(), "orvane: the running Orvane did not take the files\n");

    const std::unique_ptr<QProcess> next = start({u"sales.csv"_s});
    expectHandedOver(*next);
    const QStringList opened = linesUntil(*first, u"status\tUploaded and opened sales.csv"_s);
    EXPECT_EQ(opened.first(), u"status\tOpening sales.csv..."_s) << opened.join(u" | "_s).toStdString();
    EXPECT_FALSE(opened.contains(u"status\tOpening late.csv..."_s));
    EXPECT_EQ(emulator.requests(u"/upload/drive/v3/files"_s, "POST").size(), 1);

    stop(*first);
}

} // namespace
