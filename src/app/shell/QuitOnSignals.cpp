#include "shell/QuitOnSignals.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orvane {

namespace {

// [0] written by the handler, [1] read on the event loop.
int signalPair[2] = {-1, -1};

void handleSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPair[0], &byte, 1);
    errno = savedErrno;
}

} // namespace

void QuitOnSignals::catchSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPair) != 0) {
        qWarning("Orvane cannot take SIGTERM and SIGINT as a quit: %s", std::strerror(errno));
        return;
    }
    struct sigaction action {};
    action.sa_handler = handleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

QuitOnSignals::QuitOnSignals(std::function<void()> quit, QObject* parent) : QObject(parent), quit_(std::move(quit))
{
    if (signalPair[1] < 0)
        return;
    notifier_ = new QSocketNotifier(signalPair[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(signalPair[1], bytes, sizeof bytes) > 0) {
        }
        quit_();
    });
}

QuitOnSignals::~QuitOnSignals()
{
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
    delete notifier_;
    notifier_ = nullptr;
    for (int& end : signalPair) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

} // namespace orvane
