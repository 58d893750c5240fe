#pragma once

#include "instance/SingleInstance.h"

#include <QObject>

namespace orvane {

class AppDelegate;
class PendingOpenList;

// Feeds the application delegate from the desktop: the files on this
// process's command line and on those of later processes (the file manager
// runs `orvane FILE…`), a later start without files as a reopen, and the
// system's file-open events (macOS).
class DesktopPlatform final : public QObject {
    Q_OBJECT

public:
    // pendingOpens, when given, gets every file before its sender is told
    // it is taken, this process's own files included.
    DesktopPlatform(AppDelegate& delegate, QString instanceSocketPath, PendingOpenList* pendingOpens = nullptr,
                    QObject* parent = nullptr);

    // For the running Orvane, which holds the instance lock (see
    // InstanceHandOver): takes later starts' requests from now on and passes
    // this process's own files to the delegate. Call once, with an
    // application object, before its event loop runs.
    void start(const InstanceRequest& launchRequest);
    // Before quitting: see SingleInstance::stopTakingRequests.
    void stopTakingRequests() { instance_.stopTakingRequests(); }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void deliver(const InstanceRequest& request);
    bool keep(const InstanceRequest& request);

    AppDelegate& delegate_;
    PendingOpenList* pendingOpens_;
    SingleInstance instance_;
};

} // namespace orvane
