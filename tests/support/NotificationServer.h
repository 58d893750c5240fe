#pragma once

#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QVariantMap>

#include <memory>

namespace orvane::testsupport {

// A desktop's notification server: org.freedesktop.Notifications on the
// session bus, as GNOME Shell, Plasma or dunst provide it. It records every
// notification it is sent and clicks them as a user would. It answers on a
// connection and a thread of its own, as a server in another process would;
// it leaves the bus with the object.
class NotificationServer {
public:
    // One Notify call, its arguments as sent, and the id it was given.
    struct Notification {
        uint id = 0;
        QString appName;
        uint replacesId = 0;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int expireTimeout = 0;
    };

    NotificationServer();
    ~NotificationServer();
    NotificationServer(const NotificationServer&) = delete;
    NotificationServer& operator=(const NotificationServer&) = delete;

    // False when another server holds the name.
    bool isRegistered() const { return isRegistered_; }
    QList<Notification> notifications() const;
    // The user clicks a notification (actionKey "default") or one of its
    // buttons: the server says so, then closes it, as servers do.
    void invokeAction(uint id, const QString& actionKey) const;

private:
    class BusObject;

    QString connectionName_;
    QThread thread_;
    std::unique_ptr<BusObject> busObject_;
    bool isRegistered_ = false;
};

} // namespace orvane::testsupport
