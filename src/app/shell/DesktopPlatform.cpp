#include "shell/DesktopPlatform.h"

#include "shell/AppDelegate.h"

#include <QCoreApplication>
#include <QFileOpenEvent>

namespace orvane {

DesktopPlatform::DesktopPlatform(AppDelegate& delegate, QString instanceSocketPath, QObject* parent)
    : QObject(parent), delegate_(delegate), instance_(std::move(instanceSocketPath))
{
    connect(&instance_, &SingleInstance::requestReceived, this, &DesktopPlatform::deliver);
}

void DesktopPlatform::start(const InstanceRequest& launchRequest)
{
    // Without its socket this Orvane still runs; later starts wait for it,
    // then give up with a message.
    if (!instance_.listen())
        qWarning("Orvane cannot take files from later starts: its socket cannot be made");
    QCoreApplication::instance()->installEventFilter(this);
    // A start without files is an ordinary launch, not a reopen.
    if (!launchRequest.isReopen())
        delegate_.openURLs(launchRequest.fileURLs);
}

void DesktopPlatform::deliver(const InstanceRequest& request)
{
    if (request.isReopen()) {
        // The desktop does not raise a running application that is started
        // again, so a second start always asks for the main window.
        delegate_.applicationShouldHandleReopen(false);
    } else {
        delegate_.openURLs(request.fileURLs);
    }
}

bool DesktopPlatform::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::FileOpen)
        return QObject::eventFilter(watched, event);
    delegate_.openURLs({static_cast<QFileOpenEvent*>(event)->url()});
    return true;
}

} // namespace orvane
