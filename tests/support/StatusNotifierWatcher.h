#pragma once

#include <QMutex>
#include <QStringList>
#include <QThread>

#include <chrono>
#include <memory>

namespace orvane::testsupport {

// The part of a desktop's tray that applications talk to: the
// org.kde.StatusNotifierWatcher service on the session bus, as KDE Plasma
// and GNOME's AppIndicator extension provide it, with a host registered. An
// application started while it runs shows its tray item through it (Qt asks
// whether a host is registered, then registers its item). It answers on a
// thread of its own, so the test may block meanwhile; it leaves the bus
// with the object.
class StatusNotifierWatcher {
public:
    StatusNotifierWatcher();
    ~StatusNotifierWatcher();
    StatusNotifierWatcher(const StatusNotifierWatcher&) = delete;
    StatusNotifierWatcher& operator=(const StatusNotifierWatcher&) = delete;

    // False when another watcher holds the name.
    bool isRegistered() const { return isRegistered_; }
    // The bus names of the items registered so far.
    QStringList items() const;
    // The first item to register; empty when none does in time.
    QString waitForItem(std::chrono::milliseconds timeout) const;

private:
    class BusObject;

    QThread thread_;
    std::unique_ptr<BusObject> busObject_;
    bool isRegistered_ = false;
};

} // namespace orvane::testsupport
