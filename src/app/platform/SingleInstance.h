#pragma once

#include "support/Environment.h"
#include "platform/InstanceRequest.h"

#include <QLocalServer>
#include <QObject>

namespace orvane {

// One Orvane per user. The first process listens on a per-user local socket;
// a later one hands its request to it and ends. A socket left behind by a
// process that is gone is replaced, never a reason not to start.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    enum class Role { primary, handedOver };

    // A socket in XDG_RUNTIME_DIR (private to the user) when it is set, else a
    // name that carries the user id, which Qt places in the temporary folder.
    // An Orvane on a stand-in Google service has a socket of its own.
    static QString serverName(const Environment& environment);

    explicit SingleInstance(QString serverName, QObject* parent = nullptr);

    // Hands the request to the running Orvane, or becomes it when there is
    // none. Runs once at start-up, before the event loop and any window: it
    // waits at most a few seconds, and only for another starting process.
    // A primary that cannot listen still runs, alone.
    Role start(const InstanceRequest& request);

    // Only the first half of start(): hands the request to a running Orvane;
    // false when none takes it. Needs no event loop, so a later start can
    // call it before it makes its GUI application.
    bool handOver(const InstanceRequest& request) const;

    bool isListening() const { return server_.isListening(); }

Q_SIGNALS:
    // A later process's request.
    void requestReceived(const orvane::InstanceRequest& request);

private:
    void listen();
    void acceptConnections();

    QString serverName_;
    QLocalServer server_;
};

} // namespace orvane
