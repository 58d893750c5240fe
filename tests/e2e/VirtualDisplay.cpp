#include "VirtualDisplay.h"

#include <stdexcept>

#include <sys/prctl.h>

#include <csignal>

using namespace Qt::StringLiterals;

namespace orvane::testsupport {

namespace {

constexpr int startTimeoutMilliseconds = 10'000;

} // namespace

VirtualDisplay::VirtualDisplay()
{
    // -displayfd makes the server pick a free display and write its number
    // to the descriptor once it accepts clients. -noreset keeps it from
    // resetting when its last client leaves, which refuses the next one that
    // connects meanwhile: Orvane starts again and again here.
    // A test or benchmark that dies must not leave it running.
    server_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    server_.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"1280x800x24"_s, u"-nolisten"_s,
                              u"tcp"_s, u"-noreset"_s});
    if (!server_.waitForStarted(startTimeoutMilliseconds))
        throw std::runtime_error("Xvfb could not be started: " + server_.errorString().toStdString());
    while (!server_.canReadLine() && server_.waitForReadyRead(startTimeoutMilliseconds)) {
    }
    const QByteArray display = server_.readLine().trimmed();
    if (display.isEmpty())
        throw std::runtime_error("Xvfb did not report its display: "
                                 + server_.readAllStandardError().toStdString());
    name_ = u':' + QString::fromLatin1(display);
}

VirtualDisplay::~VirtualDisplay()
{
    server_.terminate();
    if (!server_.waitForFinished(startTimeoutMilliseconds))
        server_.kill();
}

} // namespace orvane::testsupport
