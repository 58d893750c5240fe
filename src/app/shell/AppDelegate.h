#pragma once

#include <QList>
#include <QUrl>

namespace orvane {

class LaunchIntentTracker;
class OpenURLsNotification;

// Receives the platform's application callbacks (launch finished, files to
// open, reopen) and passes files on to whoever listens, recording them first
// so that none is lost while the model does not exist yet. Main thread only.
class AppDelegate {
public:
    explicit AppDelegate(LaunchIntentTracker& tracker, OpenURLsNotification& notification);
    // The process-wide tracker and notification.
    AppDelegate();

    // An ordinary desktop application: it keeps running with its tray item
    // when its last window closes, until the user quits it.
    void applicationDidFinishLaunching();
    // Files handed over by the file manager or the system, also the ones that
    // launched the application. An empty list asks for the main window.
    void openURLs(const QList<QUrl>& urls);
    // The user activated the running application again. Without a visible
    // window the main window is asked for. Always true: the request is handled.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);

private:
    LaunchIntentTracker& tracker_;
    OpenURLsNotification& notification_;
};

} // namespace orvane
