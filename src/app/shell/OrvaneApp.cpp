#include "shell/OrvaneApp.h"

#include "model/ActivityLog.h"
#include "net/TrustStore.h"
#include "platform/AutostartEntry.h"
#include "platform/DefaultApplicationRegistrar.h"
#include "platform/DesktopServices.h"
#include "tokens/KeychainTokenStore.h"
#include "tray/MenuBarIcon.h"
#include "platform/TokenStoreServiceName.h"
#include "windows/OpenFailureNotice.h"
#include "windows/ViewEngine.h"
#include "windows/ViewReleasePolicy.h"
#include "windows/WindowlessQuitPolicy.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPalette>

using namespace Qt::StringLiterals;

namespace orvane {

OrvaneAppServices OrvaneAppServices::standard(QSettings& defaults)
{
    const Environment environment = processEnvironment();
    const GoogleServiceEndpoints endpoints = GoogleServiceEndpoints::fromEnvironment(environment);
    return {
        .defaults = defaults,
        .paths = ApplicationPaths::standard(endpoints),
        .environment = environment,
        .bundle = ApplicationBundle::installed(QStringLiteral(ORVANE_DATA_FOLDER_FROM_APPLICATION)),
        .tokenStore =
            std::make_shared<KeychainTokenStore>(tokenStoreServiceName(endpoints), KeychainTokenStore::defaultAccount()),
        .openInBrowser = systemBrowserOpener(),
        .copyToClipboard = systemClipboardWriter(),
        .registerAsDefaultApplication = [registrar = DefaultApplicationRegistrar(environment)] {
            return registrar.registerAsDefault();
        },
        .readStartsAtLogin = [entry = AutostartEntry(environment)] { return entry.isEnabled(); },
        .writeStartsAtLogin = [entry = AutostartEntry(environment)](bool enabled) { entry.setEnabled(enabled); },
        .hasSystemTray = QSystemTrayIcon::isSystemTrayAvailable(),
        .quit = [] { QCoreApplication::quit(); },
    };
}

OrvaneApp::OrvaneApp(OrvaneAppServices services)
    : services_(std::move(services)),
      stateStore_(services_.paths.defaultStateFileURL()),
      model_(AppModelServices{
          .preferencesStore = PreferencesStore(services_.defaults),
          .stateStore = stateStore_,
          .tokenStore = services_.tokenStore,
          .networkAccessManager = network_,
          .openInBrowser = services_.openInBrowser,
          .copyToClipboard = services_.copyToClipboard,
          .environment = services_.environment,
          .paths = services_.paths,
          .bundle = services_.bundle,
          .endpoints = GoogleServiceEndpoints::fromEnvironment(services_.environment),
          .registerAsDefaultApplication = services_.registerAsDefaultApplication,
          .readStartsAtLogin = services_.readStartsAtLogin,
          .writeStartsAtLogin = services_.writeStartsAtLogin,
          .platformTexts = PlatformTexts(PlatformTexts::thisDesktop, services_.hasSystemTray
                                                                          ? PlatformTexts::MenuPlace::trayIcon
                                                                          : PlatformTexts::MenuPlace::windowMenuButton),
          .launchIntents = services_.launchIntents,
          .openURLsNotification = services_.openURLsNotification,
          .pendingOpens = services_.pendingOpens,
      }),
      menu_(model_, [this] { mainWindow_.bringForward(); }, services_.quit),
      mainWindow_(WindowSettings::mainWindow(), [this]() -> ViewEngine& { return viewEngine(); }, services_.defaults),
      preferencesWindow_(WindowSettings::preferencesWindow(), [this]() -> ViewEngine& { return viewEngine(); },
                         services_.defaults)
{
    // Read by the first request, whichever it is: every HTTPS request and the
    // upload trust alike.
    trustCertificateAuthoritiesOf(services_.environment);
    logActivity(model_);
    model_.setShowMainWindowHandler([this] { mainWindow_.bringForward(); });
    model_.setShowPreferencesWindowHandler([this] { preferencesWindow_.bringForward(); });

    if (services_.hasSystemTray) {
        showTrayItem();
    } else {
        windowlessQuitPolicy_ =
            std::make_unique<WindowlessQuitPolicy>(model_, [this] { return hasVisibleWindow(); }, services_.quit);
    }
    openFailureNotice_ = std::make_unique<OpenFailureNotice>(
        model_, notifications_, [this] { return hasVisibleWindow(); }, [this] { menu_.openOrvane(); });

    // Onboarding keeps the step the user was on in its view: a setup left
    // half done goes on where it was.
    viewReleasePolicy_ = std::make_unique<ViewReleasePolicy>(
        [this] { return hasVisibleWindow() || model_.isShowingOnboarding(); },
        [this] { releaseViews(); }, services_.viewReleaseDelay);

    launchCheck_.setSingleShot(true);
    launchCheck_.setInterval(launchCheckDelay);
    QObject::connect(&launchCheck_, &QTimer::timeout, [this] { runLaunchCheck(); });
    launchCheck_.start();
}

OrvaneApp::~OrvaneApp() = default;

void OrvaneApp::runLaunchCheck()
{
    // Files the last run took and did not open are told in the window, which
    // lists them all and offers to open them: a notification can be missed
    // or pass unread, and a list of files is more than one holds.
    if (!model_.unopenedFiles().isEmpty()) {
        mainWindow_.bringForward();
        return;
    }
    if (services_.launchIntents.didReceiveFileOpenRequest())
        return;
    if (!model_.hasCompletedOnboarding())
        model_.showOnboardingIfSetupIsIncomplete();
    // Started with the session: once set up, it waits in the tray until the
    // user asks for its window. Without a tray, a hidden Orvane could not be
    // reached at all.
    else if (services_.startsInBackground && services_.hasSystemTray)
        return;
    mainWindow_.bringForward();
}

bool OrvaneApp::hasVisibleWindow() const
{
    return mainWindow_.isVisible() || preferencesWindow_.isVisible();
}

ViewEngine& OrvaneApp::viewEngine()
{
    if (!viewEngine_)
        viewEngine_ = std::make_unique<ViewEngine>(model_, services_.hasSystemTray ? nullptr : &menu_.menu());
    return *viewEngine_;
}

void OrvaneApp::releaseViews()
{
    // Windows before the engine that made their views.
    mainWindow_.release();
    preferencesWindow_.release();
    viewEngine_.reset();
    qCInfo(activityLog) << "Released the windows";
}

void OrvaneApp::showTrayItem()
{
#if defined(Q_OS_MACOS)
    trayItem_ = std::make_unique<QSystemTrayIcon>(
        MenuBarIcon::icon(services_.bundle, QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText)));
#else
    trayItem_ = std::make_unique<QSystemTrayIcon>(MenuBarIcon::trayIcon(services_.bundle));
#endif
    trayItem_->setToolTip(u"Orvane"_s);
    // The upload under way, for a glance at the panel.
    QObject::connect(&model_, &AppModel::uploadChanged, trayItem_.get(), [this] {
        trayItem_->setToolTip(model_.isUploading() ? model_.uploadTitle() : u"Orvane"_s);
    });
    trayItem_->setContextMenu(&menu_.menu());
    menu_.setTitleReader(titleReaderOf(menu_.menu()));
    // The menu opens with the secondary button; the primary one opens Orvane,
    // as trays on Linux desktops expect.
    QObject::connect(trayItem_.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            menu_.openOrvane();
    });
    trayItem_->show();
}

} // namespace orvane
