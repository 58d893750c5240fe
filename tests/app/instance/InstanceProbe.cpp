// Orvane without windows, for the single-instance tests: it starts the
// desktop platform and the model exactly as the application does (user
// defaults "Orvane"/"Orvane", the state file in the data folder, the Google
// service from the environment) and prints, one line each and in order, what
// a user would see:
//   listening            this process serves later ones
//   status<TAB>text      a new status message
//   browser<TAB>URL      a URL handed to the browser (sign-in pages are
//                        approved at once, as a user would)
//   window               the main window was asked for
// A later start ends as the application's does (status 1 and a message on
// standard error when the running Orvane does not take its files), after
// ORVANE_PROBE_PATIENCE_MS instead of the usual patience when that is set.

#include "instance/InstanceHandOver.h"
#include "instance/InstanceLock.h"
#include "shell/AppDelegate.h"
#include "model/AppModel.h"
#include "shell/DesktopPlatform.h"
#include "tokens/InMemoryTokenStore.h"
#include "state/JSONLocalStateStore.h"
#include "ScriptedBrowser.h"

#include <QCoreApplication>
#include <QDir>
#include <QNetworkAccessManager>
#include <QSettings>

#include <cstdio>

using namespace orvane;

namespace {

void printLine(const QString& kind, const QString& text = {})
{
    const QString line = text.isEmpty() ? kind : kind + QLatin1Char('\t') + text;
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const InstanceAddress address = InstanceAddress::of(processEnvironment());
    const InstanceRequest request = InstanceRequest::fromCommandLine(argc, argv, QDir::currentPath());
    InstanceLock lock(address.lockPath);
    const int patienceSetting = qEnvironmentVariableIntValue("ORVANE_PROBE_PATIENCE_MS");
    const std::chrono::milliseconds patience =
        patienceSetting > 0 ? std::chrono::milliseconds(patienceSetting) : InstanceHandOver::defaultPatience;
    InstanceHandOver handOver(address, request, patience);
    if (const std::optional<int> exitStatus = handOver.exitStatusAfter(handOver.handOverOrLock(lock)))
        return *exitStatus;

    QCoreApplication application(argc, argv);
    AppDelegate delegate;
    DesktopPlatform platform(delegate, address.socketPath);
    platform.start(handOver.notHandedOver());

    QSettings defaults(QStringLiteral("Orvane"), QStringLiteral("Orvane"));
    const Environment environment = processEnvironment();
    const GoogleServiceEndpoints endpoints = GoogleServiceEndpoints::fromEnvironment(environment);
    const ApplicationPaths paths = ApplicationPaths::standard(endpoints);
    JSONLocalStateStore stateStore(paths.defaultStateFileURL());
    QNetworkAccessManager network;
    orvane::testsupport::ScriptedBrowser signInBrowser;
    AppModel model(AppModelServices{
        .preferencesStore = PreferencesStore(defaults),
        .stateStore = stateStore,
        .tokenStore = std::make_shared<InMemoryTokenStore>(),
        .networkAccessManager = network,
        .openInBrowser =
            [&signInBrowser, &endpoints](const QUrl& url) {
                printLine(QStringLiteral("browser"), url.toString());
                if (url.adjusted(QUrl::RemoveQuery) == endpoints.authorizationEndpoint)
                    signInBrowser.open(url);
            },
        .copyToClipboard = [](const QString&) {},
        .environment = environment,
        .paths = paths,
        .bundle = ApplicationBundle({}),
        .endpoints = endpoints,
    });
    model.setShowMainWindowHandler([] { printLine(QStringLiteral("window")); });
    QObject::connect(&model, &AppModel::statusMessageChanged,
                     [&model] { printLine(QStringLiteral("status"), model.statusMessage()); });
    delegate.applicationDidFinishLaunching();

    printLine(QStringLiteral("listening"));
    return application.exec();
}
