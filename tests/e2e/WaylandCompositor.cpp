#include "WaylandCompositor.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <stdexcept>

#include <sys/prctl.h>

#include <csignal>

using namespace Qt::StringLiterals;

namespace orvane::testsupport {

namespace {

constexpr int startTimeoutMilliseconds = 10'000;

} // namespace

WaylandCompositor::WaylandCompositor(const QString& runtimeFolder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_RUNTIME_DIR"_s, runtimeFolder);
    server_.setProcessEnvironment(environment);
    server_.setStandardOutputFile(QProcess::nullDevice());
    server_.setStandardErrorFile(QProcess::nullDevice());
    const QString log = QDir(runtimeFolder).filePath(u"weston.log"_s);
    // A test or benchmark that dies must not leave it running.
    server_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    // No idle time-out: a blanked output would stop drawing the windows.
    server_.start(u"weston"_s, {u"--backend=headless-backend.so"_s, u"--socket="_s + socketName(),
                                u"--idle-time=0"_s, u"--no-config"_s, u"--log="_s + log});
    if (!server_.waitForStarted(startTimeoutMilliseconds))
        throw std::runtime_error("weston could not be started: " + server_.errorString().toStdString());
    // The socket exists once weston accepts clients.
    const QString socket = QDir(runtimeFolder).filePath(socketName());
    const QDeadlineTimer deadline(startTimeoutMilliseconds);
    while (!QFileInfo(socket).exists()) {
        if (deadline.hasExpired() || server_.state() == QProcess::NotRunning)
            throw std::runtime_error("weston did not open its socket; its log: " + log.toStdString());
        QThread::msleep(20);
    }
}

WaylandCompositor::~WaylandCompositor()
{
    server_.terminate();
    if (!server_.waitForFinished(startTimeoutMilliseconds))
        server_.kill();
}

} // namespace orvane::testsupport
