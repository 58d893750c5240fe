#pragma once

#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orvane::testsupport {

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
