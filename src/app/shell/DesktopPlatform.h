#pragma once

#include "platform/SingleInstance.h"

#include <QObject>

namespace orvane {

class AppDelegate;

// Feeds the application delegate from the desktop: the files on this
// process's command line and on those of later processes (the file manager
// runs `orvane FILE…`), a later start without files as a reopen, and the
// system's file-open events (macOS).
class DesktopPlatform final : public QObject {
    Q_OBJECT

public:
    DesktopPlatform(AppDelegate& delegate, QString instanceServerName, QObject* parent = nullptr);

    // Hands this process's request to the running Orvane (handedOver: exit
    // with status 0 now), or makes this process the running one and passes
    // its files to the delegate. Call once, with an application object, before
    // its event loop runs.
    SingleInstance::Role start(const InstanceRequest& launchRequest);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void deliver(const InstanceRequest& request);

    AppDelegate& delegate_;
    SingleInstance instance_;
};

} // namespace orvane
