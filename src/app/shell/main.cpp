#include "instance/InstanceHandOver.h"
#include "instance/InstanceLock.h"
#include "launcher/LauncherCommandLine.h"
#include "model/ActivityLog.h"
#include "shell/AppDelegate.h"
#include "shell/DesktopPlatform.h"
#include "shell/OrvaneApp.h"
#include "shell/QuitOnSignals.h"
#include "state/PendingOpenList.h"
#include "support/ConfigurationError.h"
#include "windows/ApplicationAppearance.h"
#include "windows/ViewRenderer.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QThreadPool>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(OrvanePlugin)

using namespace orvane;
using namespace Qt::StringLiterals;

int main(int argc, char** argv)
{
    // A mistyped stand-in must never turn into Google; said before any window or socket opens.
    try {
        GoogleServiceEndpoints::fromEnvironment(processEnvironment());
    } catch (const ConfigurationError& error) {
        std::fprintf(stderr, "orvane: %s\n", error.what());
        return GoogleServiceEndpoints::unusableServiceRootExitStatus;
    }
    // Decided before the GUI is made, so that a burst of starts makes one GUI
    // process: the others hand their files to it and end.
    const InstanceAddress address = InstanceAddress::of(processEnvironment());
    // The launcher passes --background alone, never with files.
    const bool startsInBackground = argc == 2 && QString::fromLocal8Bit(argv[1]) == LauncherCommandLine::backgroundOption;
    const InstanceRequest launchRequest =
        startsInBackground ? InstanceRequest() : InstanceRequest::fromCommandLine(argc, argv, QDir::currentPath());
    // Started with the session while Orvane runs already: it stays as it is.
    if (startsInBackground && InstanceLock::isHeld(address.lockPath))
        return 0;
    InstanceLock lock(address.lockPath);
    InstanceHandOver handOver(address, launchRequest);
    if (const std::optional<int> exitStatus = handOver.exitStatusAfter(handOver.handOverOrLock(lock)))
        return *exitStatus;
    // This process is Orvane now: a logout from here on quits it as the user
    // would, keeping the files it takes.
    QuitOnSignals::catchSignals();

    chooseViewRenderer(processEnvironment());
    QApplication application(argc, argv);
    // The name desktops show for its tray item, and the desktop entry its
    // windows belong to.
    QApplication::setApplicationName(u"Orvane"_s);
    QGuiApplication::setDesktopFileName(u"app.orvane.Orvane"_s);
    qCInfo(activityLog) << "Started";
    // Background work (a file's hash, the keyring) comes minutes or hours
    // apart: a pool thread waits for the next without a time-out, rather
    // than waking half a minute after its last to end.
    QThreadPool::globalInstance()->setExpiryTimeout(-1);
    AppDelegate delegate;
    // Every file this Orvane takes is on this list until its open ends.
    PendingOpenList pendingOpens(
        ApplicationPaths::standard(GoogleServiceEndpoints::fromEnvironment(processEnvironment()))
            .pendingOpensFileURL()
            .toLocalFile());
    DesktopPlatform platform(delegate, address.socketPath, &pendingOpens);
    platform.start(handOver.notHandedOver());

    delegate.applicationDidFinishLaunching();
    applyApplicationAppearance();
    QSettings defaults(u"Orvane"_s, u"Orvane"_s);
    OrvaneAppServices services = OrvaneAppServices::standard(defaults);
    services.startsInBackground = startsInBackground;
    // Files handed over from now on would be lost: their senders start a
    // new Orvane instead.
    services.quit = [&platform] {
        platform.stopTakingRequests();
        QCoreApplication::quit();
    };
    services.pendingOpens = &pendingOpens;
    const QuitOnSignals quitOnSignals(services.quit);
    OrvaneApp orvane(std::move(services));
    return application.exec();
}
