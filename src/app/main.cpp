#include "AppDelegate.h"
#include "ApplicationAppearance.h"
#include "DesktopPlatform.h"
#include "OrvaneApp.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(OrvanePlugin)

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

// A later start only passes its files to the running Orvane. That needs no
// display, style or fonts, so it is tried before the GUI application exists.
bool handOverToRunningInstance(int& argc, char** argv)
{
    const QCoreApplication handOverApplication(argc, argv);
    const InstanceRequest request =
        InstanceRequest::fromArguments(QCoreApplication::arguments().mid(1), QDir::currentPath());
    return SingleInstance(SingleInstance::serverName(processEnvironment())).handOver(request);
}

} // namespace

int main(int argc, char** argv)
{
    if (handOverToRunningInstance(argc, argv))
        return 0;

    QApplication application(argc, argv);
    AppDelegate delegate;
    DesktopPlatform platform(delegate, SingleInstance::serverName(processEnvironment()));
    const InstanceRequest launchRequest =
        InstanceRequest::fromArguments(application.arguments().mid(1), QDir::currentPath());
    // Another Orvane may have started since.
    if (platform.start(launchRequest) == SingleInstance::Role::handedOver)
        return 0;

    delegate.applicationDidFinishLaunching();
    applyApplicationAppearance();
    QSettings defaults(u"Orvane"_s, u"Orvane"_s);
    OrvaneApp orvane(OrvaneAppServices::standard(defaults));
    return application.exec();
}
