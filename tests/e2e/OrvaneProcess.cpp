#include "OrvaneProcess.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <stdexcept>

#include <sys/prctl.h>

#include <csignal>

namespace orvane::testsupport {

QString orvaneExecutable()
{
    return QStringLiteral(ORVANE_EXECUTABLE_PATH);
}

OrvaneProcess::OrvaneProcess(const QProcessEnvironment& environment, const QStringList& arguments)
{
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    // A test or benchmark that dies must not leave it running.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process_.start(orvaneExecutable(), arguments);
    if (!process_.waitForStarted())
        throw std::runtime_error("orvane could not be started: " + process_.errorString().toStdString());
}

OrvaneProcess::~OrvaneProcess()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(int(defaultTimeout.count())))
        process_.kill();
}

bool OrvaneProcess::waitForLines(const QString& text, qsizetype count, std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    readLines();
    while (countLines(text) < count && !deadline.hasExpired()) {
        if (!process_.waitForReadyRead(int(deadline.remainingTime())) && process_.state() == QProcess::NotRunning) {
            readLines();
            break;
        }
        readLines();
    }
    return countLines(text) >= count;
}

int OrvaneProcess::waitForExit(std::chrono::milliseconds timeout)
{
    const bool finished = process_.state() == QProcess::NotRunning || process_.waitForFinished(int(timeout.count()));
    readLines();
    if (!finished || process_.exitStatus() != QProcess::NormalExit)
        return -1;
    return process_.exitCode();
}

qsizetype OrvaneProcess::countLines(const QString& text) const
{
    return std::ranges::count_if(lines_, [&text](const QString& line) { return line.contains(text); });
}

void OrvaneProcess::readLines()
{
    while (process_.canReadLine())
        lines_.append(QString::fromUtf8(process_.readLine()).trimmed());
    // The last line of a process that has ended may lack its newline.
    if (process_.state() == QProcess::NotRunning && process_.bytesAvailable() > 0)
        lines_.append(QString::fromUtf8(process_.readAll()).trimmed());
}

} // namespace orvane::testsupport
