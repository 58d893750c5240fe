#pragma once

#include <QObject>

#include <functional>

namespace orvane {

class AppModel;
class DesktopNotifications;

// An open that fails while no Orvane window is visible (a file handed over
// to an Orvane in the tray) would leave its error in a window nobody looks
// at: it is told in a desktop notification instead, and clicking that opens
// Orvane. With a window visible, the window says it.
class OpenFailureNotice final : public QObject {
    Q_OBJECT

public:
    OpenFailureNotice(AppModel& model, DesktopNotifications& notifications, std::function<bool()> hasVisibleWindow,
        std::function<void()> openOrvane, QObject* parent = nullptr);
};

} // namespace orvane
