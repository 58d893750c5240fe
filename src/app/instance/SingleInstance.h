#pragma once

#include "instance/InstanceRequest.h"

#include <QLocalServer>
#include <QObject>

#include <chrono>
#include <functional>

class QLocalSocket;

namespace orvane {

class InstanceRequestReader;

// The running Orvane's side of the hand-over: it listens on the user's
// socket, reads each later start's request, answers that it holds it, and
// passes it on only when the answer reached a sender still waiting. Listen
// only while holding the instance lock (see InstanceHandOver): a socket file
// found then is one that a process that has ended left behind.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    // A sender that has not finished its request within receiveLimit is
    // dropped, so a slow or silent one holds nothing.
    explicit SingleInstance(QString socketPath, std::chrono::milliseconds receiveLimit = std::chrono::seconds(5),
                            QObject* parent = nullptr);

    // False when the socket cannot be made, or its folder is not the user's
    // alone; Orvane then runs alone.
    bool listen();
    bool isListening() const { return server_.isListening(); }
    // keep runs before a sender is told its request is taken (to put it on
    // disk): false refuses the request, and the sender tries again. letGo
    // undoes a keep whose answer did not reach the sender.
    void setKeeper(std::function<bool(const InstanceRequest&)> keep,
                   std::function<void(const InstanceRequest&)> letGo);
    // Before quitting: later starts find nobody listening, and connections
    // not answered yet are closed unanswered, so their senders start a new
    // Orvane rather than hand files to this one.
    void stopTakingRequests();

Q_SIGNALS:
    // A later start's request, once its sender has been told it is taken.
    void requestReceived(const orvane::InstanceRequest& request);

private:
    void acceptConnections();
    void read(QLocalSocket& connection, InstanceRequestReader& reader);
    // Whether the acknowledgement reached the sender.
    static bool answer(QLocalSocket& connection);

    QString socketPath_;
    std::chrono::milliseconds receiveLimit_;
    QLocalServer server_;
    std::function<bool(const InstanceRequest&)> keep_;
    std::function<void(const InstanceRequest&)> letGo_;
};

} // namespace orvane
