#include "shell/DesktopPlatform.h"

#include "shell/AppDelegate.h"

#include <QCoreApplication>
#include <QFileOpenEvent>

namespace orvane {

DesktopPlatform::DesktopPlatform(AppDelegate& delegate, QString instanceServerName, QObject* parent)
    : QObject(parent), delegate_(delegate), instance_(std::move(instanceServerName))
{
    connect(&instance_, &SingleInstance::requestReceived, this, &DesktopPlatform::deliver);
}

SingleInstance::Role DesktopPlatform::start(const InstanceRequest& launchRequest)
{
    const SingleInstance::Role role = instance_.start(launchRequest);
    if (role == SingleInstance::Role::primary) {
        QCoreApplication::instance()->installEventFilter(this);
        // A start without files is an ordinary launch, not a reopen.
        if (!launchRequest.isReopen())
            delegate_.openURLs(launchRequest.fileURLs);
    }
    return role;
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
