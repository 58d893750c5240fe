#include "instance/InstanceHandOver.h"

#include "instance/InstanceLock.h"
#include "instance/SameUser.h"

#include <QFile>
#include <QFileInfo>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

namespace orvane {

namespace {

using Clock = std::chrono::steady_clock;

class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor()
    {
        if (descriptor_ >= 0)
            ::close(descriptor_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return descriptor_; }

private:
    int descriptor_;
};

// Until events are possible on descriptor; false at deadline or on an error.
bool waitFor(int descriptor, short events, Clock::time_point deadline)
{
    pollfd watched{.fd = descriptor, .events = events, .revents = 0};
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        const int ready = ::poll(&watched, 1, int(std::max<std::chrono::milliseconds::rep>(left.count(), 0)));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// Giving up shuts the connection for reading first: from then on the running
// Orvane's answer cannot be sent (it gets EPIPE and drops the request), and
// an answer sent before is still read here. So both sides agree on whether
// the request was taken, however close the answer comes to the deadline.
bool answerBeforeGivingUp(int socket, QByteArray& answer)
{
    ::shutdown(socket, SHUT_RD);
    char buffer[32];
    for (ssize_t received; (received = ::recv(socket, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
        answer.append(buffer, received);
    return answer == InstanceRequest::acknowledgement;
}

} // namespace

InstanceHandOver::InstanceHandOver(InstanceAddress address, const InstanceRequest& request,
                                   std::chrono::milliseconds patience)
    : address_(std::move(address)), parts_(request.inParts()), patience_(patience)
{
}

std::optional<int> InstanceHandOver::exitStatusAfter(Outcome outcome) const
{
    switch (outcome) {
    case Outcome::handedOver:
        return 0;
    case Outcome::unanswered:
        if (partsHandedOver_ == 0) {
            std::fputs("orvane: the running Orvane did not take the files\n", stderr);
        } else {
            const QList<QUrl> left = notHandedOver().fileURLs;
            std::fprintf(stderr, "orvane: the running Orvane did not take the last %lld files, from %s on\n",
                         static_cast<long long>(left.size()), qPrintable(left.first().toLocalFile()));
        }
        return 1;
    case Outcome::noneRunning:
        break;
    }
    return std::nullopt;
}

InstanceRequest InstanceHandOver::notHandedOver() const
{
    InstanceRequest rest;
    for (qsizetype part = partsHandedOver_; part < parts_.size(); ++part)
        rest.fileURLs.append(parts_[part].fileURLs);
    return rest;
}

InstanceHandOver::Outcome InstanceHandOver::handOver()
{
    return run([this] { return !InstanceLock::isHeld(address_.lockPath); });
}

InstanceHandOver::Outcome InstanceHandOver::handOverOrLock(InstanceLock& lock)
{
    return run([&lock] { return lock.tryLock() != InstanceLock::Attempt::heldElsewhere; });
}

InstanceHandOver::Outcome InstanceHandOver::run(const std::function<bool()>& isNoneRunning)
{
    if (!address_.hasPrivateFolder()) {
        std::fprintf(stderr, "orvane: %s is not a folder of this user alone; Orvane runs without handing files over\n",
                     qPrintable(QFileInfo(address_.socketPath).path()));
        return Outcome::noneRunning;
    }
    // Each part has the whole patience: a running Orvane that took one is
    // there and answering.
    Clock::time_point deadline = Clock::now() + patience_;
    for (;;) {
        if (isNoneRunning())
            return Outcome::noneRunning;
        if (tryOnce(deadline)) {
            if (partsHandedOver_ == parts_.size())
                return Outcome::handedOver;
            deadline = Clock::now() + patience_;
            continue;
        }
        if (Clock::now() >= deadline)
            return Outcome::unanswered;
        std::this_thread::sleep_for(retryInterval);
    }
}

bool InstanceHandOver::tryOnce(Clock::time_point deadline)
{
    const QByteArray message = parts_[partsHandedOver_].encoded();
    if (!sendAndAwaitAnswer(message, deadline))
        return false;
    ++partsHandedOver_;
    return true;
}

bool InstanceHandOver::sendAndAwaitAnswer(const QByteArray& message, Clock::time_point deadline) const
{
    const QByteArray path = QFile::encodeName(address_.socketPath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));

    const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    // A local connect does not wait: it is taken, or refused when nobody
    // listens or the listener's queue is full.
    if (socket.get() < 0 || ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return false;
    // The paths of the user's files go to the user's own Orvane only.
    if (!peerIsSameUser(socket.get()))
        return false;

    for (qsizetype sent = 0; sent < message.size();) {
        if (!waitFor(socket.get(), POLLOUT, deadline))
            return false;
        const ssize_t written = ::send(socket.get(), message.constData() + sent, size_t(message.size() - sent),
                                       MSG_NOSIGNAL);
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        sent += std::max<ssize_t>(written, 0);
    }

    // The running Orvane answers once it holds the request; until then it
    // may be busy, and the connection waits in its queue.
    QByteArray answer;
    while (answer.size() < InstanceRequest::acknowledgement.size()) {
        if (!waitFor(socket.get(), POLLIN, deadline))
            return answerBeforeGivingUp(socket.get(), answer);
        char buffer[32];
        const ssize_t received = ::recv(socket.get(), buffer, sizeof buffer, 0);
        if (received == 0 || (received < 0 && errno != EAGAIN && errno != EINTR))
            return false;
        answer.append(buffer, std::max<ssize_t>(received, 0));
    }
    return answer == InstanceRequest::acknowledgement;
}

} // namespace orvane
