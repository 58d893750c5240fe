#pragma once

#include "model/AppModel.h"
#include "platform/DesktopNotifications.h"
#include "state/JSONLocalStateStore.h"
#include "tray/MenuBarMenu.h"
#include "windows/ViewReleasePolicy.h"
#include "windows/WindowPresenter.h"

#include <QNetworkAccessManager>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

namespace orvane {

class OpenFailureNotice;
class ViewEngine;
class WindowlessQuitPolicy;

// What the application is started with: the process's own (standard())
// or, in tests, temporary ones.
struct OrvaneAppServices {
    // The user defaults: preferences and window frames.
    QSettings& defaults;
    ApplicationPaths paths;
    Environment environment;
    ApplicationBundle bundle;
    std::shared_ptr<OAuthTokenStoring> tokenStore;
    BrowserOpener openInBrowser;
    ClipboardWriter copyToClipboard;
    DefaultApplicationRegistering registerAsDefaultApplication;
    StartAtLoginReader readStartsAtLogin;
    StartAtLoginWriter writeStartsAtLogin;
    // Whether the desktop shows tray items; without one the main window
    // carries the menu and the application ends with its last window.
    bool hasSystemTray;
    // Started with `orvane --background` (the session's start at login):
    // once set up, an Orvane with a tray item starts there without a window.
    bool startsInBackground = false;
    std::function<void()> quit;
    // How long the windows' views are kept once no window is shown.
    std::chrono::milliseconds viewReleaseDelay = ViewReleasePolicy::idleDelay;
    LaunchIntentTracker& launchIntents = LaunchIntentTracker::shared();
    OpenURLsNotification& openURLsNotification = OpenURLsNotification::shared();
    // The files taken and not opened yet (see PendingOpenList).
    PendingOpenList* pendingOpens = nullptr;

    // The user's data folder, the process environment, the system keyring,
    // browser and clipboard, the desktop's autostart folder, and its tray.
    static OrvaneAppServices standard(QSettings& defaults);
};

// The running application: the stores, the one model, the tray item with
// its menu and the two windows, made once at launch and kept until quit.
// Half a second after launch it brings the main window forward, unless the
// process was started to open files, or in the background with a tray item
// once setup is complete.
class OrvaneApp {
public:
    static constexpr std::chrono::milliseconds launchCheckDelay{500};

    explicit OrvaneApp(OrvaneAppServices services);
    ~OrvaneApp();

    AppModel& model() { return model_; }
    MenuBarMenu& menu() { return menu_; }
    WindowPresenter& mainWindow() { return mainWindow_; }
    WindowPresenter& preferencesWindow() { return preferencesWindow_; }

    // Until the launch check has run.
    bool isLaunchCheckPending() const { return launchCheck_.isActive(); }
    // The QML engine and the windows' views exist (from the first window
    // until they are released).
    bool areViewsMade() const { return viewEngine_ != nullptr; }

private:
    // Run once by the timer started at launch: onboarding while setup is
    // incomplete, and the main window in front, unless files were handed over
    // or a start in the background has the tray item to live in.
    void runLaunchCheck();
    bool hasVisibleWindow() const;
    ViewEngine& viewEngine();
    void releaseViews();
    void showTrayItem();

    OrvaneAppServices services_;
    JSONLocalStateStore stateStore_;
    QNetworkAccessManager network_;
    AppModel model_;
    MenuBarMenu menu_;
    // Made with the first window, so that a launch that only opens files never builds views.
    std::unique_ptr<ViewEngine> viewEngine_;
    WindowPresenter mainWindow_;
    WindowPresenter preferencesWindow_;
    std::unique_ptr<QSystemTrayIcon> trayItem_;
    DesktopNotifications notifications_;
    std::unique_ptr<OpenFailureNotice> openFailureNotice_;
    std::unique_ptr<WindowlessQuitPolicy> windowlessQuitPolicy_;
    std::unique_ptr<ViewReleasePolicy> viewReleasePolicy_;
    QTimer launchCheck_;
};

} // namespace orvane
