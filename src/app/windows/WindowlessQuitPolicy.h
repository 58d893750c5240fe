#pragma once

#include <QObject>

#include <functional>

namespace orvane {

class AppModel;

// Where the desktop shows no tray item, an Orvane without a visible window
// could not be reached any more: it quits once its last window is closed
// and no file is being opened (the end of an open that ran without a
// window, as when the file manager started Orvane for a file, counts too).
// An open that failed with no window to show it brings the main window
// forward instead, so that its error is not lost.
class WindowlessQuitPolicy final : public QObject {
    Q_OBJECT

public:
    WindowlessQuitPolicy(AppModel& model, std::function<bool()> hasVisibleWindow, std::function<void()> quit,
                         QObject* parent = nullptr);

private:
    // Decided on the next turn of the event loop: one file ends and the next
    // of the same request starts in between.
    void scheduleCheck();
    void check();
    void openingChanged();

    AppModel& model_;
    std::function<bool()> hasVisibleWindow_;
    std::function<void()> quit_;
    bool isCheckScheduled_ = false;
    // An open ended since the last check.
    bool didOpenEnd_ = false;
};

} // namespace orvane
