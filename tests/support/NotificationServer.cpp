#include "NotificationServer.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QMutexLocker>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace orvane::testsupport {

namespace {

const QString serverService = u"org.freedesktop.Notifications"_s;
const QString serverPath = u"/org/freedesktop/Notifications"_s;
const QString serverInterface = u"org.freedesktop.Notifications"_s;
// Why a notification closed: the user dismissed it.
constexpr uint dismissedByTheUser = 2;

} // namespace

// What the bus sees; it lives on the server's thread.
class NotificationServer::BusObject final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QList<Notification> notifications() const
    {
        const QMutexLocker locker(&mutex_);
        return notifications_;
    }

public Q_SLOTS:
    QStringList GetCapabilities() const { return {u"actions"_s, u"body"_s, u"body-markup"_s}; }

    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
        const QString& body, const QStringList& actions, const QVariantMap& hints, int expireTimeout)
    {
        const QMutexLocker locker(&mutex_);
        const uint id = ++lastId_;
        notifications_.append({id, appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout});
        return id;
    }

private:
    mutable QMutex mutex_;
    QList<Notification> notifications_;
    // Not from 1, so that an id Orvane made up could not match one by chance.
    uint lastId_ = 40;
};

NotificationServer::NotificationServer()
    : connectionName_(u"notification-server-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces)),
      busObject_(std::make_unique<BusObject>())
{
    thread_.start();
    busObject_->moveToThread(&thread_);
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName_);
    isRegistered_ = bus.registerObject(serverPath, busObject_.get(), QDBusConnection::ExportAllSlots)
        && bus.registerService(serverService);
}

NotificationServer::~NotificationServer()
{
    QDBusConnection::disconnectFromBus(connectionName_);
    thread_.quit();
    thread_.wait();
}

QList<NotificationServer::Notification> NotificationServer::notifications() const
{
    return busObject_->notifications();
}

void NotificationServer::invokeAction(uint id, const QString& actionKey) const
{
    QDBusConnection bus(connectionName_);
    bus.send(QDBusMessage::createSignal(serverPath, serverInterface, u"ActionInvoked"_s) << id << actionKey);
    bus.send(
        QDBusMessage::createSignal(serverPath, serverInterface, u"NotificationClosed"_s) << id << dismissedByTheUser);
}

} // namespace orvane::testsupport

#include "NotificationServer.moc"
