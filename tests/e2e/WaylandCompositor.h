#pragma once

#include <QProcess>
#include <QString>

namespace orvane::testsupport {

// A Wayland compositor of its own (weston on its headless backend), for the
// real application as a native Wayland client. Its socket goes into the
// runtime folder its clients are given. Stopped with the object.
class WaylandCompositor {
public:
    // Throws std::runtime_error when weston does not come up.
    explicit WaylandCompositor(const QString& runtimeFolder);
    ~WaylandCompositor();
    WaylandCompositor(const WaylandCompositor&) = delete;
    WaylandCompositor& operator=(const WaylandCompositor&) = delete;

    // For WAYLAND_DISPLAY, relative to the runtime folder.
    static QString socketName() { return QStringLiteral("orvane-test-wayland"); }

private:
    QProcess server_;
};

} // namespace orvane::testsupport
