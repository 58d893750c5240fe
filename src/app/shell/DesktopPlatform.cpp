#include "shell/DesktopPlatform.h"

#include "model/ActivityLog.h"
#include "shell/AppDelegate.h"
#include "state/PendingOpenList.h"

#include <QCoreApplication>
#include <QFileOpenEvent>

namespace orvane {

DesktopPlatform::DesktopPlatform(AppDelegate& delegate, QString instanceSocketPath, PendingOpenList* pendingOpens,
                                 QObject* parent)
    : QObject(parent), delegate_(delegate), pendingOpens_(pendingOpens), instance_(std::move(instanceSocketPath))
{
    connect(&instance_, &SingleInstance::requestReceived, this, &DesktopPlatform::deliver);
    if (pendingOpens_) {
        instance_.setKeeper([this](const InstanceRequest& request) { return keep(request); },
                            [this](const InstanceRequest& request) {
                                try {
                                    pendingOpens_->remove(request.fileURLs);
                                } catch (const std::exception&) {
                                    // Offered again at the next start: nothing is lost.
                                }
                            });
    }
}

bool DesktopPlatform::keep(const InstanceRequest& request)
{
    try {
        pendingOpens_->add(request.fileURLs);
        return true;
    } catch (const std::exception& error) {
        // Not taken: the sender tries again, and at last says so.
        qCWarning(activityLog).noquote() << "Files not taken:" << error.what();
        return false;
    }
}

void DesktopPlatform::start(const InstanceRequest& launchRequest)
{
    // Without its socket this Orvane still runs; later starts wait for it,
    // then give up with a message.
    if (!instance_.listen())
        qWarning("Orvane cannot take files from later starts: its socket cannot be made");
    QCoreApplication::instance()->installEventFilter(this);
    // A start without files is an ordinary launch, not a reopen. Its own
    // files are opened even when they cannot be kept on disk.
    if (!launchRequest.isReopen()) {
        if (pendingOpens_)
            keep(launchRequest);
        delegate_.openURLs(launchRequest.fileURLs);
    }
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
