#include "shell/AppDelegate.h"
#include "windows/ApplicationAppearance.h"
#include "shell/DesktopPlatform.h"
#include "shell/OrvaneApp.h"
#include "support/ConfigurationError.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
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
    QApplication application(argc, argv);
    AppDelegate delegate;
    DesktopPlatform platform(delegate, SingleInstance::serverName(processEnvironment()));
    const InstanceRequest launchRequest =
        InstanceRequest::fromArguments(application.arguments().mid(1), QDir::currentPath());
    // Started by the launcher, which found no Orvane; another may have started since.
    if (platform.start(launchRequest) == SingleInstance::Role::handedOver)
        return 0;

    delegate.applicationDidFinishLaunching();
    applyApplicationAppearance();
    QSettings defaults(u"Orvane"_s, u"Orvane"_s);
    OrvaneApp orvane(OrvaneAppServices::standard(defaults));
    return application.exec();
}
