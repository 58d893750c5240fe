#pragma once

#include <QProcess>
#include <QString>

namespace orvane::testsupport {

// An X server of its own (Xvfb) on a free display number, for the real
// application: the offscreen platform cannot hand URLs to a browser. Stopped
// with the object.
class VirtualDisplay {
public:
    // Throws std::runtime_error when Xvfb does not come up.
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // For DISPLAY, e.g. ":99".
    const QString& name() const { return name_; }

private:
    QProcess server_;
    QString name_;
};

} // namespace orvane::testsupport
