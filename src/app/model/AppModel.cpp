#include "model/AppModel.h"

#include "support/AtomicFileWrite.h"
#include "drive/GoogleDriveClient.h"
#include "signin/GoogleAccessExpiredError.h"
#include "signin/GoogleOAuthClient.h"
#include "model/LaunchIntentTracker.h"
#include "signin/OAuthConfiguration.h"
#include "signin/OAuthTokenExchangeError.h"
#include "tokens/OAuthTokenStoring.h"
#include "model/OpenURLsNotification.h"
#include "model/RequestSignIn.h"
#include "open/WorkspaceOpenService.h"
#include "state/PendingOpenList.h"
#include "state/PrivateFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <QCoroSignal>
#include <QCoroTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace orvane {

namespace {

const QString clientSecretExplanation =
    u"This Google OAuth desktop client requires a client secret. For local builds, add clientSecret to "
    u"GoogleOAuth config. For distribution, set tokenEndpointURL to a server-side OAuth token endpoint."_s;
// For failures that are not Orvane's own errors.
const QString genericErrorDescription = u"The operation could not be completed."_s;

QString localizedDescription(const std::exception& error)
{
    if (const auto* orvaneError = dynamic_cast<const Error*>(&error))
        return orvaneError->localizedDescription();
    return genericErrorDescription;
}

// Google's sign that the registered desktop client needs a secret that was not sent.
bool isMissingClientSecret(const OAuthTokenExchangeError& error)
{
    return error.error() == u"invalid_request"_s && error.details()
        && error.details()->contains(u"client_secret"_s, Qt::CaseInsensitive);
}

QVariantMap viewItem(const LocalFileRecord& record)
{
    return {
        {u"id"_s, record.id.toString(QUuid::WithoutBraces).toUpper()},
        {u"fileName"_s, QFileInfo(record.localFilePath).fileName()},
        {u"localFilePath"_s, record.localFilePath},
        {u"fileExtension"_s, record.fileExtension},
        {u"destinationFolderName"_s, record.destinationFolderName},
        {u"openMode"_s, rawValue(record.openMode)},
        {u"lastOpenedAt"_s, record.lastOpenedAt},
        {u"openURL"_s, record.openURL},
    };
}

} // namespace

class AppModel::OpenWork {
public:
    explicit OpenWork(AppModel& model) : model_(model)
    {
        if (model_.openWork_++ == 0)
            Q_EMIT model_.hasOpenWorkChanged();
    }
    ~OpenWork()
    {
        if (--model_.openWork_ == 0)
            Q_EMIT model_.hasOpenWorkChanged();
    }
    OpenWork(const OpenWork&) = delete;
    OpenWork& operator=(const OpenWork&) = delete;

private:
    AppModel& model_;
};

AppModel::AppModel(AppModelServices services, QObject* parent)
    : QObject(parent), services_(std::move(services)), browser_(services_.openInBrowser),
      retryPolicy_(services_.retryPolicy)
{
    retryPolicy_.onWaiting = [this](const RetryNotice& notice) {
        setStatusMessage(u"Waiting for Google and retrying (try %1 of %2)..."_s.arg(notice.nextAttempt)
                             .arg(notice.maximumAttempts));
    };
    uploadShowTimer_.setSingleShot(true);
    uploadShowTimer_.setInterval(uploadShownAfter);
    connect(&uploadShowTimer_, &QTimer::timeout, this, [this] {
        isUploadShown_ = true;
        Q_EMIT uploadChanged();
    });
    // A transfer on the thread pool would otherwise keep the process alive
    // until it ended; the application's end waits for the pool.
    if (QCoreApplication* application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, [this] {
            isQuitting_ = true;
            abortOpen();
        });
    preferences_ = services_.preferencesStore.load();
    isShowingOnboarding_ = !preferences_.hasCompletedOnboarding;
    doLoadConnectionState();
    refreshRecentFiles();
    // Taken before this model was made, by the run that ended.
    if (services_.pendingOpens)
        unopenedFiles_ = services_.pendingOpens->filesLeftByEarlierRun();
    connect(&services_.openURLsNotification, &OpenURLsNotification::posted, this, &AppModel::receiveOpenURLs);
    // Files that arrived before the model existed. Opened on the next turn of
    // the event loop, once whoever made the model has installed its handlers.
    const QList<QUrl> pending = services_.launchIntents.takePendingFileOpenRequestURLs();
    if (!pending.isEmpty())
        doTakeOpenRequest(pending);
}

QString AppModel::friendlyError(const std::exception& error)
{
    if (const auto* exchangeError = dynamic_cast<const OAuthTokenExchangeError*>(&error);
        exchangeError && isMissingClientSecret(*exchangeError))
        return clientSecretExplanation;
    return localizedDescription(error);
}

// Preferences

void AppModel::setPreferences(const OrvanePreferences& preferences)
{
    if (preferences == preferences_)
        return;
    preferences_ = preferences;
    // The choice holds for this run even when the disk refuses it.
    try {
        services_.preferencesStore.save(preferences_);
    } catch (const std::exception& error) {
        setLastError(friendlyError(error));
    }
    Q_EMIT preferencesChanged();
}

QString AppModel::officeOpenModeRawValue() const
{
    return rawValue(preferences_.officeOpenMode);
}

void AppModel::setOfficeOpenModeRawValue(const QString& value)
{
    const std::optional<OpenMode> mode = openModeFromRawValue(value);
    if (!mode)
        return;
    OrvanePreferences changed = preferences_;
    changed.officeOpenMode = *mode;
    setPreferences(changed);
}

void AppModel::setRootFolderName(const QString& rootFolderName)
{
    OrvanePreferences changed = preferences_;
    changed.rootFolderName = rootFolderName;
    setPreferences(changed);
}

void AppModel::setHasCompletedOnboarding(bool hasCompletedOnboarding)
{
    OrvanePreferences changed = preferences_;
    changed.hasCompletedOnboarding = hasCompletedOnboarding;
    setPreferences(changed);
}

// Published state

QVariantList AppModel::recentRecordsForViews() const
{
    QVariantList items;
    items.reserve(recentRecords_.size());
    for (const LocalFileRecord& record : recentRecords_)
        items.append(viewItem(record));
    return items;
}

std::optional<QUrl> AppModel::lastOpenedURL() const
{
    if (recentRecords_.isEmpty())
        return std::nullopt;
    return recentRecords_.first().openURL;
}

void AppModel::setStatusMessage(const QString& statusMessage)
{
    if (statusMessage == statusMessage_)
        return;
    statusMessage_ = statusMessage;
    Q_EMIT statusMessageChanged();
}

void AppModel::setLastError(const std::optional<QString>& lastError)
{
    if (lastError == lastError_)
        return;
    lastError_ = lastError;
    Q_EMIT lastErrorChanged();
}

void AppModel::setOpening(bool isOpening)
{
    if (isOpening == isOpening_)
        return;
    isOpening_ = isOpening;
    Q_EMIT isOpeningChanged();
}

void AppModel::setConnectingGoogle(bool isConnectingGoogle)
{
    if (isConnectingGoogle == isConnectingGoogle_)
        return;
    const QString title = googleConnectionStatusTitle();
    isConnectingGoogle_ = isConnectingGoogle;
    Q_EMIT isConnectingGoogleChanged();
    if (googleConnectionStatusTitle() != title)
        Q_EMIT googleConnectionStatusTitleChanged();
}

void AppModel::setConnected(bool isConnected)
{
    if (isConnected == isConnected_)
        return;
    const QString title = googleConnectionStatusTitle();
    isConnected_ = isConnected;
    Q_EMIT isConnectedChanged();
    if (googleConnectionStatusTitle() != title)
        Q_EMIT googleConnectionStatusTitleChanged();
}

void AppModel::decideConnected(bool isConnected)
{
    isConnectionDecided_ = true;
    setConnected(isConnected);
}

void AppModel::setDidOpenSampleFile(bool didOpenSampleFile)
{
    if (didOpenSampleFile == didOpenSampleFile_)
        return;
    didOpenSampleFile_ = didOpenSampleFile;
    Q_EMIT didOpenSampleFileChanged();
}

void AppModel::setShowingOnboarding(bool isShowingOnboarding)
{
    if (isShowingOnboarding == isShowingOnboarding_)
        return;
    isShowingOnboarding_ = isShowingOnboarding;
    Q_EMIT isShowingOnboardingChanged();
}

QString AppModel::googleConnectionStatusTitle() const
{
    if (isConnected_)
        return u"Google account connected"_s;
    if (isConnectingGoogle_)
        return u"Waiting for Google sign-in"_s;
    return u"Not connected"_s;
}

// Start-up and file-open requests

QCoro::Task<> AppModel::doLoadConnectionState()
{
    // The task holds the store until it answers.
    const std::shared_ptr<OAuthTokenStoring> tokenStore = services_.tokenStore;
    const bool hasStoredTokens = co_await tokenStore->containsTokensWithoutReadingSecret();
    if (!isConnectionDecided_)
        setConnected(hasStoredTokens);
}

QString AppModel::localStateNote() const
{
    const QString stateFile = services_.paths.defaultStateFileURL().toLocalFile();
    return services_.platformTexts.localStateNote(QFileInfo(stateFile).absolutePath());
}

void AppModel::receiveOpenURLs(const QList<QUrl>& urls)
{
    // The notification itself carries these URLs; taking them from the
    // tracker keeps the next model start from opening them a second time.
    services_.launchIntents.takePendingFileOpenRequestURLs();
    const bool areFileURLs = std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
    doTakeOpenRequest(areFileURLs ? urls : QList<QUrl>());
}

QCoro::Task<> AppModel::doTakeOpenRequest(QList<QUrl> fileURLs)
{
    const OpenWork work(*this);
    co_await QCoro::sleepFor(std::chrono::milliseconds(0));
    if (!fileURLs.isEmpty()) {
        co_await doOpenFiles(fileURLs);
        co_return;
    }
    showOnboardingIfSetupIsIncomplete();
    showMainWindow();
}

// Actions

void AppModel::openFiles(const QList<QUrl>& fileURLs)
{
    doOpenFiles(fileURLs);
}

QCoro::Task<> AppModel::doOpenFiles(QList<QUrl> fileURLs)
{
    const OpenWork work(*this);
    // Refused files are dropped, not kept for later.
    if (!preferences_.hasCompletedOnboarding) {
        letGoOf(fileURLs);
        showOnboardingIfSetupIsIncomplete();
        showMainWindow();
        co_return;
    }
    const auto signInFailure = std::make_shared<std::exception_ptr>();
    for (const QUrl& fileURL : fileURLs)
        co_await doOpenFile(fileURL, signInFailure);
}

void AppModel::openFile(const QUrl& fileURL)
{
    doOpenFile(fileURL, std::make_shared<std::exception_ptr>());
}

QCoro::Task<> AppModel::waitForTurnToOpen()
{
    while (isOpenUnderWay_)
        co_await qCoro(this, &AppModel::openEnded);
    isOpenUnderWay_ = true;
}

QCoro::Task<bool> AppModel::doOpenFile(QUrl fileURL, RequestSignInFailure signInFailure)
{
    const OpenWork work(*this);
    co_await waitForTurnToOpen();
    const QString name = fileURL.fileName();
    setOpening(true);
    setLastError(std::nullopt);
    setStatusMessage(u"Opening "_s + name + u"..."_s);
    openAbort_ = AbortSignal();
    isCancellingOpen_ = false;
    bool accessExpired = false;
    bool isOpened = false;
    std::optional<QString> failure;
    try {
        if (*signInFailure)
            std::rethrow_exception(*signInFailure);
        const std::shared_ptr<GoogleOAuthClient> oauthClient = makeOAuthClient();
        // A fresh Drive client and service for every file; the OAuth client
        // runs the browser sign-in from here when no usable token is stored.
        RequestSignIn access(*oauthClient, signInPagesShown_, *signInFailure);
        GoogleDriveClient driveClient(access, services_.networkAccessManager,
                                      GoogleFileURLResolver(services_.endpoints), services_.endpoints,
                                      DriveFolderStore::besideStateFile(services_.paths.defaultStateFileURL()), retryPolicy_,
                                      openAbort_,
                                      [this, name](const UploadProgress& progress) {
                                          takeUploadProgress(name, progress);
                                      },
                                      UploadTuning(), importLimits_);
        const WorkspaceOpenService service(FileRouter(), DriveFolderResolver{preferences_.rootFolderName},
                                           services_.stateStore, driveClient);
        const OpenOutcome outcome =
            co_await service.open(fileURL, preferences_, QDateTime::currentDateTimeUtc());
        // Shown before the browser is asked: the record stands even when no
        // browser can show its page. Also after a reuse that needed no
        // request: the stored tokens stand.
        refreshRecentFiles();
        decideConnected(true);
        browser_.open(outcome.record().openURL);
        isOpened = true;
        setStatusMessage((outcome.didUpload() ? u"Uploaded and opened "_s : u"Opened existing Google file for "_s)
                         + name);
    } catch (const std::exception& error) {
        accessExpired = dynamic_cast<const GoogleAccessExpiredError*>(&error) != nullptr;
        if (isCancellingOpen_) {
            setStatusMessage(u"Upload of "_s + name + u" cancelled"_s);
        } else {
            failure = friendlyError(error);
            setLastError(failure);
            setStatusMessage(u"Could not open "_s + name);
        }
    }
    endUpload();
    if (accessExpired)
        co_await forgetExpiredAccess();
    letGoOf({fileURL});
    setOpening(false);
    isOpenUnderWay_ = false;
    if (failure)
        Q_EMIT openFailed(name, *failure);
    Q_EMIT openEnded();
    co_return isOpened;
}

void AppModel::letGoOf(const QList<QUrl>& fileURLs)
{
    if (!services_.pendingOpens || isQuitting_)
        return;
    try {
        services_.pendingOpens->remove(fileURLs);
    } catch (const std::exception&) {
        // Left on the list: offered again at the next start, never lost.
    }
}

QStringList AppModel::unopenedFiles() const
{
    QStringList paths;
    for (const QUrl& url : unopenedFiles_)
        paths.append(url.toLocalFile());
    return paths;
}

void AppModel::openUnopenedFiles()
{
    // Still on the list on disk: each comes off as its open ends.
    const QList<QUrl> files = std::exchange(unopenedFiles_, {});
    Q_EMIT unopenedFilesChanged();
    doOpenFiles(files);
}

void AppModel::dismissUnopenedFiles()
{
    letGoOf(std::exchange(unopenedFiles_, {}));
    Q_EMIT unopenedFilesChanged();
}

void AppModel::abortOpen()
{
    openAbort_.abort();
}

void AppModel::cancelUpload()
{
    if (!isOpenUnderWay_)
        return;
    isCancellingOpen_ = true;
    openAbort_.abort();
}

void AppModel::takeUploadProgress(const QString& fileName, const UploadProgress& progress)
{
    const UploadMeter::Clock::time_point now = UploadMeter::Clock::now();
    if (!uploadMeter_.isActive()) {
        uploadMeter_.start(fileName, progress, now);
        uploadShowTimer_.start();
    } else {
        uploadMeter_.update(progress, now);
    }
    if (isUploading())
        Q_EMIT uploadChanged();
}

void AppModel::endUpload()
{
    const bool wasShown = isUploading();
    uploadMeter_.stop();
    uploadShowTimer_.stop();
    isUploadShown_ = false;
    if (wasShown)
        Q_EMIT uploadChanged();
}

QCoro::Task<> AppModel::forgetExpiredAccess()
{
    decideConnected(false);
    const std::shared_ptr<OAuthTokenStoring> tokenStore = services_.tokenStore;
    try {
        co_await tokenStore->deleteTokens();
    } catch (const std::exception&) {
        // The account already shows as not connected, and the message says
        // to connect again, which replaces the stored set.
    }
}

std::shared_ptr<GoogleOAuthClient> AppModel::makeOAuthClient()
{
    if (oauthClient_)
        return oauthClient_;
    OAuthConfiguration configuration = OAuthConfiguration::load(
        services_.environment, services_.paths.defaultOAuthClientConfigURL(), services_.bundle);
    // The client may outlive a disconnect while a sign-in runs; it reaches the
    // browser, and counts its consent pages, through its own copies.
    oauthClient_ = std::make_shared<GoogleOAuthClient>(
        std::move(configuration), services_.tokenStore, services_.networkAccessManager,
        [browser = browser_, pagesShown = signInPagesShown_](const QUrl& url) {
            ++*pagesShown;
            browser.open(url);
        },
        services_.endpoints,
        &QDateTime::currentDateTimeUtc, retryPolicy_);
    return oauthClient_;
}

void AppModel::connectGoogle()
{
    doConnectGoogle();
}

QCoro::Task<> AppModel::doConnectGoogle()
{
    if (isConnectingGoogle_)
        co_return;
    setConnectingGoogle(true);
    setStatusMessage(u"Opening Google sign-in..."_s);
    setLastError(std::nullopt);
    try {
        const std::shared_ptr<GoogleOAuthClient> oauthClient = makeOAuthClient();
        co_await oauthClient->connect();
        decideConnected(true);
        setStatusMessage(u"Google account connected"_s);
    } catch (const std::exception& error) {
        setLastError(friendlyError(error));
        setStatusMessage(u"Google sign-in failed"_s);
    }
    // Back from the browser either way.
    showMainWindow();
    setConnectingGoogle(false);
}

void AppModel::disconnectGoogle()
{
    doDisconnectGoogle();
}

QCoro::Task<> AppModel::doDisconnectGoogle()
{
    const std::shared_ptr<OAuthTokenStoring> tokenStore = services_.tokenStore;
    try {
        co_await tokenStore->deleteTokens();
    } catch (const std::exception& error) {
        setLastError(friendlyError(error));
        co_return;
    }
    oauthClient_.reset();
    // What Drive converts is the account's: another may sign in next.
    importLimits_->reset();
    decideConnected(false);
    setStatusMessage(u"Google account disconnected"_s);
}

void AppModel::openSampleCSV()
{
    doOpenSampleCSV();
}

QCoro::Task<> AppModel::doOpenSampleCSV()
{
    QUrl sampleURL;
    try {
        sampleURL = createSampleCSV();
    } catch (const std::exception& error) {
        setLastError(friendlyError(error));
        co_return;
    }
    // A cancel sets no error, and yet nothing was opened.
    if (co_await doOpenFile(sampleURL, std::make_shared<std::exception_ptr>()))
        setDidOpenSampleFile(true);
}

QUrl AppModel::createSampleCSV() const
{
    const QString directory = QDir::cleanPath(services_.paths.samplesDirectory().toLocalFile());
    createPrivateFolders(directory);
    const QString path = QDir(directory).filePath(sampleFileName);
    // Written once: a sample the user edited stays as it is.
    if (!QFileInfo::exists(path)) {
        writeFileAtomically(path, sampleFileContent);
    }
    return QUrl::fromLocalFile(path);
}

void AppModel::copyLastOpenedURL()
{
    const std::optional<QUrl> url = lastOpenedURL();
    if (!url) {
        setLastError(u"No Google file URL has been opened yet."_s);
        return;
    }
    services_.copyToClipboard(url->toString(QUrl::FullyEncoded));
    setStatusMessage(u"Copied Google file URL"_s);
}

void AppModel::refreshRecentFiles()
{
    try {
        QList<LocalFileRecord> records = services_.stateStore.recentRecords(recentRecordsLimit);
        if (records == recentRecords_)
            return;
        recentRecords_ = std::move(records);
        Q_EMIT recentRecordsChanged();
    } catch (const std::exception& error) {
        // The store's own words, without friendlyError's explanations.
        setLastError(localizedDescription(error));
    }
}

void AppModel::completeOnboarding()
{
    setHasCompletedOnboarding(true);
    setShowingOnboarding(false);
    setStatusMessage(services_.platformTexts.readyToRevisitOnboarding());
}

void AppModel::makeOrvaneTheDefault()
{
    doMakeOrvaneTheDefault();
}

QCoro::Task<> AppModel::doMakeOrvaneTheDefault()
{
    setLastError(std::nullopt);
    if (!services_.registerAsDefaultApplication) {
        reportMakingDefault(statusMessage_, u"This desktop has no default application setting Orvane can change."_s);
        co_return;
    }
    reportMakingDefault(u"Making Orvane the default application..."_s);
    try {
        co_await services_.registerAsDefaultApplication();
        QStringList extensions;
        for (const FileRoute& route : FileRouter::supportedRoutes())
            extensions.append(u'.' + route.fileExtension);
        const QString last = extensions.takeLast();
        reportMakingDefault(u"Orvane is now the default application for "_s + extensions.join(u", "_s) + u" and "_s
                            + last + u" files."_s);
    } catch (const std::exception& error) {
        reportMakingDefault(u"Could not make Orvane the default application"_s, friendlyError(error));
    }
}

void AppModel::reportMakingDefault(const QString& statusMessage, const std::optional<QString>& error)
{
    if (error)
        setLastError(error);
    setStatusMessage(statusMessage);
    const QString report = error.value_or(statusMessage);
    if (report == defaultApplicationReport_ && error.has_value() == didMakingDefaultFail_)
        return;
    defaultApplicationReport_ = report;
    didMakingDefaultFail_ = error.has_value();
    Q_EMIT defaultApplicationReportChanged();
}

void AppModel::setStartsAtLogin(bool startsAtLogin)
{
    QString error;
    if (!services_.writeStartsAtLogin) {
        error = u"This desktop has no start at login setting Orvane can change."_s;
    } else {
        try {
            services_.writeStartsAtLogin(startsAtLogin);
        } catch (const std::exception& failure) {
            error = u"Could not turn %1 \u201CStart Orvane when you log in\u201D: %2"_s.arg(
                startsAtLogin ? u"on"_s : u"off"_s, friendlyError(failure));
        }
    }
    showStartsAtLogin(error);
}

void AppModel::refreshStartsAtLogin()
{
    showStartsAtLogin(QString());
}

void AppModel::showStartsAtLogin(const QString& error)
{
    startsAtLogin_ = services_.readStartsAtLogin && services_.readStartsAtLogin();
    startAtLoginError_ = error;
    // Told even when nothing changed: a switch the user has just flipped
    // shows the model's value again only when told.
    Q_EMIT startsAtLoginChanged();
}

void AppModel::showOnboardingIfSetupIsIncomplete()
{
    if (preferences_.hasCompletedOnboarding)
        return;
    setShowingOnboarding(true);
    setStatusMessage(services_.platformTexts.completeSetupBeforeOpeningFiles());
}

void AppModel::openRecordURL(const QUrl& openURL)
{
    try {
        browser_.open(openURL);
    } catch (const std::exception& error) {
        setLastError(friendlyError(error));
    }
}

void AppModel::showMainWindow() const
{
    if (showMainWindowHandler_)
        showMainWindowHandler_();
}

void AppModel::showPreferencesWindow() const
{
    if (showPreferencesWindowHandler_)
        showPreferencesWindowHandler_();
}

} // namespace orvane
