#pragma once

#include "instance/InstanceAddress.h"
#include "instance/InstanceLock.h"
#include "instance/SingleInstance.h"

#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orvane::testsupport {

// A running Orvane as a start finds it: the instance lock held and the
// socket listened on; what it is handed arrives in `received`.
class RunningOrvaneStandIn {
    InstanceAddress address;
    InstanceLock lock;
    SingleInstance listener;

public:
    explicit RunningOrvaneStandIn(const QString& runtimeFolder)
        : address(InstanceAddress::of({{QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder}})),
          lock(address.lockPath),
          listener(address.socketPath)
    {
    }

    // False when another process already runs as Orvane here.
    bool start() { return lock.tryLock() == InstanceLock::Attempt::locked && listener.listen(); }

    QSignalSpy received{&listener, &SingleInstance::requestReceived};
};

// The orvane command alone, with a runtime folder of its own and no display:
// anything that tried to start the GUI application would fail here.
class LauncherTest : public ::testing::Test {
protected:
    static constexpr int timeoutMilliseconds = 10'000;

    QProcessEnvironment environment() const
    {
        using namespace Qt::StringLiterals;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
        environment.remove(u"DISPLAY"_s);
        environment.remove(u"WAYLAND_DISPLAY"_s);
        environment.remove(u"ORVANE_GOOGLE_SERVICE_ROOT"_s);
        return environment;
    }

    QTemporaryDir runtime;
};

} // namespace orvane::testsupport
