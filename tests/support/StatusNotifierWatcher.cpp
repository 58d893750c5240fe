#include "StatusNotifierWatcher.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <QMetaObject>

using namespace Qt::StringLiterals;

namespace orvane::testsupport {

namespace {

const QString watcherService = u"org.kde.StatusNotifierWatcher"_s;
const QString watcherPath = u"/StatusNotifierWatcher"_s;

} // namespace

// What the bus sees; it lives on the watcher's thread. Applications only
// call it, so it sends none of the watcher's signals.
class StatusNotifierWatcher::BusObject final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    QStringList items() const
    {
        const QMutexLocker locker(&mutex_);
        return items_;
    }
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

public Q_SLOTS:
    // service is the item's bus name (as Qt gives it) or, as some toolkits
    // give it, the path of its object on the caller's connection.
    void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message)
    {
        const QString name = service.startsWith(u'/') ? message.service() : service;
        const QMutexLocker locker(&mutex_);
        items_.append(name);
    }
    void RegisterStatusNotifierHost(const QString&) {}

private:
    mutable QMutex mutex_;
    QStringList items_;
};

StatusNotifierWatcher::StatusNotifierWatcher() : busObject_(std::make_unique<BusObject>())
{
    thread_.start();
    busObject_->moveToThread(&thread_);
    QDBusConnection bus = QDBusConnection::sessionBus();
    isRegistered_ = bus.registerObject(watcherPath, busObject_.get(),
                                       QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties)
        && bus.registerService(watcherService);
    // Qt lets a new bus connection deliver calls only from the next turn of
    // this thread's event loop; the test may block from here on.
    QEventLoop turn;
    QTimer::singleShot(0, &turn, &QEventLoop::quit);
    turn.exec();
}

StatusNotifierWatcher::~StatusNotifierWatcher()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(watcherService);
    bus.unregisterObject(watcherPath);
    thread_.quit();
    thread_.wait();
}

QStringList StatusNotifierWatcher::items() const
{
    return busObject_->items();
}

QString StatusNotifierWatcher::waitForItem(std::chrono::milliseconds timeout) const
{
    const QDeadlineTimer deadline(timeout);
    while (items().isEmpty() && !deadline.hasExpired())
        QThread::msleep(20);
    const QStringList registered = items();
    return registered.isEmpty() ? QString() : registered.first();
}

} // namespace orvane::testsupport

#include "StatusNotifierWatcher.moc"
