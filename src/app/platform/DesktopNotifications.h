#pragma once

#include <QObject>
#include <QSet>
#include <QString>

#include <optional>

namespace orvane {

// Orvane's notifications on the desktop, through the session's notification
// server (org.freedesktop.Notifications on the session bus). Nothing waits
// for the server: where none runs, or there is no session bus, a
// notification is dropped without a word. The bus is reached on the first
// notification, so that a start pays nothing for it.
class DesktopNotifications final : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // A notification with a one-line summary and a body of plain text;
    // clicking it emits activated().
    void show(const QString& summary, const QString& body);

Q_SIGNALS:
    // The user clicked one of the notifications shown here.
    void activated();

private Q_SLOTS:
    void takeActionInvoked(uint id, const QString& actionKey);
    void takeNotificationClosed(uint id, uint reason);

private:
    void listenToServer();
    void send(const QString& summary, const QString& body);

    bool isListening_ = false;
    // Whether the server reads the body as markup, as the server said; asked
    // before the first notification.
    std::optional<bool> readsBodyMarkup_;
    // The notifications shown here and not closed yet, by the server's ids.
    QSet<uint> shown_;
};

} // namespace orvane
