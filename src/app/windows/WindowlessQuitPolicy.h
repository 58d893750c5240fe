#pragma once

#include <QObject>

#include <functional>

namespace orvane {

class AppModel;

// Where the desktop shows no tray item, an Orvane without a visible window
// could not be reached any more: it quits once its last window is closed
// and it has no files to open (none opening, waiting its turn, or handed
// over and not started yet). The end of an open that ran without a window,
// as when the file manager started Orvane for a file, counts too. An open
// that failed with no window to show it brings the main window forward
// instead, so that its error is not lost.
class WindowlessQuitPolicy final : public QObject {
    Q_OBJECT

public:
    WindowlessQuitPolicy(AppModel& model, std::function<bool()> hasVisibleWindow, std::function<void()> quit,
                         QObject* parent = nullptr);

private:
    // Decided on the next turn of the event loop, when whatever ended the
    // work or closed the window is done.
    void scheduleCheck();
    void check();

    AppModel& model_;
    std::function<bool()> hasVisibleWindow_;
    std::function<void()> quit_;
    bool isCheckScheduled_ = false;
    // An open failed since Orvane last had a window to show it in.
    bool didOpenFail_ = false;
};

} // namespace orvane
