#include "platform/DesktopNotifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include <utility>

using namespace Qt::StringLiterals;

namespace orvane {

namespace {

const QString serverService = u"org.freedesktop.Notifications"_s;
const QString serverPath = u"/org/freedesktop/Notifications"_s;
const QString serverInterface = u"org.freedesktop.Notifications"_s;
// The desktop entry, so that the desktop groups the notifications under
// Orvane and shows its icon.
const QString desktopEntry = u"app.orvane.Orvane"_s;
// What clicking the notification itself does.
const QString defaultAction = u"default"_s;
// Each notification stands on its own: a file that failed is not hidden by the next.
constexpr uint noneReplaced = 0;
// The server decides how long a notification shows.
constexpr int serversOwnTimeout = -1;

QDBusMessage serverCall(const QString& method)
{
    return QDBusMessage::createMethodCall(serverService, serverPath, serverInterface, method);
}

} // namespace

void DesktopNotifications::show(const QString& summary, const QString& body)
{
    if (!QDBusConnection::sessionBus().isConnected())
        return;
    listenToServer();
    if (readsBodyMarkup_) {
        send(summary, body);
        return;
    }
    auto* answer =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(serverCall(u"GetCapabilities"_s)), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, [this, answer, summary, body] {
        answer->deleteLater();
        const QDBusPendingReply<QStringList> capabilities = *answer;
        // No server: nobody to tell.
        if (capabilities.isError())
            return;
        readsBodyMarkup_ = capabilities.value().contains(u"body-markup"_s);
        send(summary, body);
    });
}

void DesktopNotifications::listenToServer()
{
    if (std::exchange(isListening_, true))
        return;
    // From any sender: naming the server's well-known name would make Qt ask
    // the bus for its owner, and wait for the answer.
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(QString(), serverPath, serverInterface, u"ActionInvoked"_s, this,
        SLOT(takeActionInvoked(uint, QString)));
    bus.connect(QString(), serverPath, serverInterface, u"NotificationClosed"_s, this,
        SLOT(takeNotificationClosed(uint, uint)));
}

void DesktopNotifications::send(const QString& summary, const QString& body)
{
    QDBusMessage notify = serverCall(u"Notify"_s);
    notify << u"Orvane"_s << noneReplaced << desktopEntry << summary
           << (*readsBodyMarkup_ ? body.toHtmlEscaped() : body) << QStringList{defaultAction, u"Open Orvane"_s}
           << QVariantMap{{u"desktop-entry"_s, desktopEntry}} << serversOwnTimeout;
    auto* answer = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(notify), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, [this, answer] {
        answer->deleteLater();
        const QDBusPendingReply<uint> id = *answer;
        if (!id.isError())
            shown_.insert(id.value());
    });
}

void DesktopNotifications::takeActionInvoked(uint id, const QString& actionKey)
{
    if (shown_.contains(id) && actionKey == defaultAction)
        Q_EMIT activated();
}

void DesktopNotifications::takeNotificationClosed(uint id, uint)
{
    shown_.remove(id);
}

} // namespace orvane
