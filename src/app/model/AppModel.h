#pragma once

#include "support/ApplicationBundle.h"
#include "drive/DriveImportLimits.h"
#include "state/ApplicationPaths.h"
#include "model/PlatformTexts.h"
#include "model/DesktopActions.h"
#include "support/Environment.h"
#include "net/AbortSignal.h"
#include "net/RetryPolicy.h"
#include "routing/GoogleServiceEndpoints.h"
#include "model/LaunchIntentTracker.h"
#include "state/LocalFileRecord.h"
#include "model/OpenURLsNotification.h"
#include "model/UploadMeter.h"
#include "routing/Preferences.h"
#include "model/WebBrowser.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QVariantList>

#include <QCoroTask>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;

namespace orvane {

class PendingOpenList;

class GoogleOAuthClient;
class LocalStateStoring;
class OAuthTokenStoring;

// What the model works with, made once at launch and kept for its life.
struct AppModelServices {
    PreferencesStore preferencesStore;
    LocalStateStoring& stateStore;
    std::shared_ptr<OAuthTokenStoring> tokenStore;
    QNetworkAccessManager& networkAccessManager;
    BrowserOpener openInBrowser;
    ClipboardWriter copyToClipboard;
    // The process environment: the OAuth client registration may come from it.
    Environment environment;
    ApplicationPaths paths;
    // Where GoogleOAuth.json may ship with the application.
    ApplicationBundle bundle;
    GoogleServiceEndpoints endpoints;
    // Makes Orvane the file manager's application for the supported files;
    // none where the desktop has no such setting.
    DefaultApplicationRegistering registerAsDefaultApplication = nullptr;
    // Starting Orvane when the user logs in; none where the desktop has no
    // such setting.
    StartAtLoginReader readStartsAtLogin = nullptr;
    StartAtLoginWriter writeStartsAtLogin = nullptr;
    // The status messages that name the desktop's parts.
    PlatformTexts platformTexts = PlatformTexts();
    // How requests Google failed for a passing reason are tried again; the
    // model adds its status line while they wait.
    RetryPolicy retryPolicy = RetryPolicy::exponentialBackoff();
    // Where the platform's file-open requests arrive.
    LaunchIntentTracker& launchIntents = LaunchIntentTracker::shared();
    OpenURLsNotification& openURLsNotification = OpenURLsNotification::shared();
    // The files taken and not opened yet, kept on disk; each open of one
    // takes it off when it ends. None in tests that do not need it.
    PendingOpenList* pendingOpens = nullptr;
};

// The application's one observable object: the state every window and the
// tray menu show, and every user action. Lives on the main thread; each
// action reports its own failure as one message and never throws. An action
// under way keeps using the model, so it lives as long as the application.
//
// Views bind to the properties; a property that C++ reads as an optional is
// an empty string or URL for the views when absent.
class AppModel final : public QObject {
    Q_OBJECT

    // The preferences, field by field; every assignment is saved at once.
    // officeOpenMode is "googleFormat" or "officePreserved".
    Q_PROPERTY(QString officeOpenMode READ officeOpenModeRawValue WRITE setOfficeOpenModeRawValue NOTIFY
                   preferencesChanged)
    Q_PROPERTY(QString rootFolderName READ rootFolderName WRITE setRootFolderName NOTIFY preferencesChanged)
    Q_PROPERTY(bool hasCompletedOnboarding READ hasCompletedOnboarding WRITE setHasCompletedOnboarding NOTIFY
                   preferencesChanged)
    // Newest first, at most 12. Each entry is a map with id, fileName,
    // localFilePath, fileExtension, destinationFolderName, openMode (raw
    // value), lastOpenedAt (date) and openURL (URL).
    Q_PROPERTY(QVariantList recentRecords READ recentRecordsForViews NOTIFY recentRecordsChanged)
    Q_PROPERTY(QString statusMessage READ statusMessage WRITE setStatusMessage NOTIFY statusMessageChanged)
    Q_PROPERTY(QString lastError READ lastErrorForViews NOTIFY lastErrorChanged)
    Q_PROPERTY(bool isOpening READ isOpening NOTIFY isOpeningChanged)
    Q_PROPERTY(bool isConnectingGoogle READ isConnectingGoogle NOTIFY isConnectingGoogleChanged)
    Q_PROPERTY(bool isConnected READ isConnected NOTIFY isConnectedChanged)
    Q_PROPERTY(bool didOpenSampleFile READ didOpenSampleFile NOTIFY didOpenSampleFileChanged)
    Q_PROPERTY(bool isShowingOnboarding READ isShowingOnboarding WRITE setShowingOnboarding NOTIFY
                   isShowingOnboardingChanged)
    Q_PROPERTY(QUrl lastOpenedURL READ lastOpenedURLForViews NOTIFY recentRecordsChanged)
    Q_PROPERTY(QString googleConnectionStatusTitle READ googleConnectionStatusTitle NOTIFY
                   googleConnectionStatusTitleChanged)
    // What the last "Make Orvane the default" came to: under way, done, or
    // why it failed; empty until it is asked for. Unlike the status line and
    // lastError, nothing else ever writes it.
    Q_PROPERTY(QString defaultApplicationReport READ defaultApplicationReport NOTIFY defaultApplicationReportChanged)
    Q_PROPERTY(bool didMakingDefaultFail READ didMakingDefaultFail NOTIFY defaultApplicationReportChanged)
    // Whether the session starts Orvane (in the background) when the user
    // logs in, as the desktop had it when last read or changed; and why the
    // last change failed, empty when it did not.
    Q_PROPERTY(bool startsAtLogin READ startsAtLogin WRITE setStartsAtLogin NOTIFY startsAtLoginChanged)
    Q_PROPERTY(QString startAtLoginError READ startAtLoginError NOTIFY startsAtLoginChanged)
    // The upload under way, once it has taken half a second (a quick one
    // never shows): its file, the bytes sent of the total, the rate in bytes
    // per second, how much is done (0 to 1, and in percent), the time left,
    // and the title the tray shows ("Uploading NAME — 42%").
    Q_PROPERTY(bool isUploading READ isUploading NOTIFY uploadChanged)
    Q_PROPERTY(QString uploadFileName READ uploadFileName NOTIFY uploadChanged)
    Q_PROPERTY(qint64 uploadBytesSent READ uploadBytesSent NOTIFY uploadChanged)
    Q_PROPERTY(qint64 uploadTotalBytes READ uploadTotalBytes NOTIFY uploadChanged)
    Q_PROPERTY(double uploadBytesPerSecond READ uploadBytesPerSecond NOTIFY uploadChanged)
    Q_PROPERTY(double uploadFraction READ uploadFraction NOTIFY uploadChanged)
    Q_PROPERTY(int uploadPercent READ uploadPercent NOTIFY uploadChanged)
    Q_PROPERTY(QString uploadTimeLeft READ uploadTimeLeft NOTIFY uploadChanged)
    Q_PROPERTY(QString uploadTitle READ uploadTitle NOTIFY uploadChanged)
    // Where the records are kept (this Orvane's data folder, a stand-in's
    // own), as the preferences window says it.
    Q_PROPERTY(QString localStateNote READ localStateNote CONSTANT)
    // The paths of files an earlier run had taken and not opened when it
    // ended (a quit, a logout, a kill): offered to open again.
    Q_PROPERTY(QStringList unopenedFiles READ unopenedFiles NOTIFY unopenedFilesChanged)

public:
    static constexpr qsizetype recentRecordsLimit = 12;
    static inline const QString sampleFileName = QStringLiteral("orvane-sample.csv");
    static inline const QByteArray sampleFileContent =
        QByteArrayLiteral("Name,Team,Status\nAki,Sales,Ready\nMina,Operations,Ready\nRen,Finance,Review\n");

    // Loads the preferences and the recent files, asks the token store whether
    // a token set exists (isConnected follows when it answers), starts
    // listening for file-open requests and opens, on the next turn of the
    // event loop, any files that arrived before the model existed.
    explicit AppModel(AppModelServices services, QObject* parent = nullptr);

    // The message shown for a failure: Orvane's own text where it has one,
    // with an explanation for a Google client registration that needs a
    // client secret that was not sent.
    static QString friendlyError(const std::exception& error);

    const OrvanePreferences& preferences() const { return preferences_; }
    // Saved at once.
    void setPreferences(const OrvanePreferences& preferences);
    QString officeOpenModeRawValue() const;
    // An unknown raw value changes nothing.
    void setOfficeOpenModeRawValue(const QString& value);
    QString rootFolderName() const { return preferences_.rootFolderName; }
    void setRootFolderName(const QString& rootFolderName);
    bool hasCompletedOnboarding() const { return preferences_.hasCompletedOnboarding; }
    void setHasCompletedOnboarding(bool hasCompletedOnboarding);

    const QList<LocalFileRecord>& recentRecords() const { return recentRecords_; }
    QVariantList recentRecordsForViews() const;
    // The Google URL of the most recently opened file.
    std::optional<QUrl> lastOpenedURL() const;
    QUrl lastOpenedURLForViews() const { return lastOpenedURL().value_or(QUrl()); }

    const QString& statusMessage() const { return statusMessage_; }
    void setStatusMessage(const QString& statusMessage);
    const std::optional<QString>& lastError() const { return lastError_; }
    QString lastErrorForViews() const { return lastError_.value_or(QString()); }

    bool isOpening() const { return isOpening_; }
    // Files to open: one is opening or waiting its turn, or a request from
    // the file manager is taken and not started yet. Orvane must not end
    // while this holds.
    bool hasOpenWork() const { return openWork_ > 0; }
    bool isConnectingGoogle() const { return isConnectingGoogle_; }
    bool isConnected() const { return isConnected_; }
    bool didOpenSampleFile() const { return didOpenSampleFile_; }
    bool isShowingOnboarding() const { return isShowingOnboarding_; }
    void setShowingOnboarding(bool isShowingOnboarding);
    // "Google account connected", "Waiting for Google sign-in" or "Not connected".
    QString googleConnectionStatusTitle() const;
    const QString& defaultApplicationReport() const { return defaultApplicationReport_; }
    bool didMakingDefaultFail() const { return didMakingDefaultFail_; }
    bool startsAtLogin() const { return startsAtLogin_; }
    // Turns it on or off, then reads back what the desktop now has, so that
    // a failed change still shows the truth (with its error).
    void setStartsAtLogin(bool startsAtLogin);
    const QString& startAtLoginError() const { return startAtLoginError_; }
    // How long an upload runs before it shows.
    static constexpr std::chrono::milliseconds uploadShownAfter{500};
    bool isUploading() const { return uploadMeter_.isActive() && isUploadShown_; }
    QString uploadFileName() const { return uploadMeter_.fileName(); }
    qint64 uploadBytesSent() const { return uploadMeter_.progress().bytesSent; }
    qint64 uploadTotalBytes() const { return uploadMeter_.progress().totalBytes; }
    double uploadBytesPerSecond() const { return uploadMeter_.bytesPerSecond(); }
    double uploadFraction() const { return uploadMeter_.fraction(); }
    int uploadPercent() const { return uploadMeter_.percent(); }
    QString uploadTimeLeft() const { return uploadMeter_.timeLeft(); }
    QString uploadTitle() const { return uploadMeter_.title(); }
    QString localStateNote() const;

    // Installed by the window layer: bring the main window to the front, show
    // the preferences window.
    void setShowMainWindowHandler(std::function<void()> handler) { showMainWindowHandler_ = std::move(handler); }
    void setShowPreferencesWindowHandler(std::function<void()> handler)
    {
        showPreferencesWindowHandler_ = std::move(handler);
    }

    // Each file in turn; refused (onboarding shown instead) until setup is complete.
    Q_INVOKABLE void openFiles(const QList<QUrl>& fileURLs);
    // Uploads the file or reuses its Google file, then opens it in the browser.
    Q_INVOKABLE void openFile(const QUrl& fileURL);
    // Stops the open under way at once: its requests end, its upload stops
    // before it completes, and nothing is recorded. Quitting does this, so
    // that no transfer keeps the process alive.
    Q_INVOKABLE void abortOpen();
    // The user's Cancel: the open under way stops as abortOpen() stops it,
    // and the status line says it was cancelled rather than failed.
    Q_INVOKABLE void cancelUpload();
    // The browser sign-in; ignored while one is under way.
    Q_INVOKABLE void connectGoogle();
    // Forgets the stored tokens (nothing is sent to Google) and the OAuth
    // client, so the next use reads the client registration again.
    Q_INVOKABLE void disconnectGoogle();
    // Writes the sample CSV on first use and opens it.
    Q_INVOKABLE void openSampleCSV();
    Q_INVOKABLE void copyLastOpenedURL();
    Q_INVOKABLE void refreshRecentFiles();
    Q_INVOKABLE void completeOnboarding();
    Q_INVOKABLE void showOnboardingIfSetupIsIncomplete();
    // Registers Orvane as the file manager's application for every supported
    // type and says so, or why not.
    Q_INVOKABLE void makeOrvaneTheDefault();
    // Reads again whether the session starts Orvane, forgetting the last
    // change's error: the views ask whenever they show it.
    Q_INVOKABLE void refreshStartsAtLogin();
    // A recorded Google URL, straight to the browser; anything but a web
    // address is refused with a message.
    Q_INVOKABLE void openRecordURL(const QUrl& openURL);
    // Call the window layer's handlers, when installed.
    Q_INVOKABLE void showMainWindow() const;
    Q_INVOKABLE void showPreferencesWindow() const;

    QStringList unopenedFiles() const;
    // Opens the files an earlier run left, in the order it took them.
    Q_INVOKABLE void openUnopenedFiles();
    // Forgets them.
    Q_INVOKABLE void dismissUnopenedFiles();

Q_SIGNALS:
    void preferencesChanged();
    void recentRecordsChanged();
    void statusMessageChanged();
    void lastErrorChanged();
    void isOpeningChanged();
    void isConnectingGoogleChanged();
    void isConnectedChanged();
    void didOpenSampleFileChanged();
    void isShowingOnboardingChanged();
    void googleConnectionStatusTitleChanged();
    void defaultApplicationReportChanged();
    void startsAtLoginChanged();
    // An open ended without its Google page in the browser, for any reason
    // but the user's cancel: the file's name and the error as lastError says it.
    void openFailed(const QString& fileName, const QString& error);
    // One file's open has ended, so the next may begin.
    void openEnded();
    void hasOpenWorkChanged();
    void uploadChanged();
    void unopenedFilesChanged();

private:
    // Counts as open work for as long as it lives.
    class OpenWork;

    QCoro::Task<> doLoadConnectionState();
    // A request of the platform's: counted at once, handled on the next turn
    // of the event loop, so that the platform's call returns at once.
    QCoro::Task<> doTakeOpenRequest(QList<QUrl> urls);
    QCoro::Task<> doOpenFiles(QList<QUrl> fileURLs);
    // Opens take turns: two requests for one file (a double-click repeated
    // while the first upload runs) must not upload it twice, nor start two
    // browser sign-ins.
    QCoro::Task<> waitForTurnToOpen();
    // The error of a request's failed sign-in, shared by its files: once
    // set, the request's later files end with it without a consent page.
    using RequestSignInFailure = std::shared_ptr<std::exception_ptr>;
    // True once the file's Google page is handed to the browser; false when
    // the open failed or was cancelled.
    QCoro::Task<bool> doOpenFile(QUrl fileURL, RequestSignInFailure signInFailure);
    void takeUploadProgress(const QString& fileName, const UploadProgress& progress);
    void endUpload();
    QCoro::Task<> doConnectGoogle();
    QCoro::Task<> doDisconnectGoogle();
    QCoro::Task<> doOpenSampleCSV();
    QCoro::Task<> doMakeOrvaneTheDefault();
    void receiveOpenURLs(const QList<QUrl>& urls);
    // The open of these files has ended: off the list kept on disk, unless
    // the application is quitting, which leaves them for the next start.
    void letGoOf(const QList<QUrl>& fileURLs);
    // Built on first need from the client registration, kept until disconnect.
    std::shared_ptr<GoogleOAuthClient> makeOAuthClient();
    // Google refused the stored grant: the account shows as not connected and
    // the dead tokens go, so that the next start says so too.
    QCoro::Task<> forgetExpiredAccess();
    // Writes the sample file unless it exists; returns its URL.
    QUrl createSampleCSV() const;

    void setLastError(const std::optional<QString>& lastError);
    void setOpening(bool isOpening);
    void setConnectingGoogle(bool isConnectingGoogle);
    void setConnected(bool isConnected);
    // isConnected as an action decided it, which the start-up check no longer overrides.
    void decideConnected(bool isConnected);
    void setDidOpenSampleFile(bool didOpenSampleFile);
    // Says it on the status line (or as the error) and in the report.
    void reportMakingDefault(const QString& statusMessage, const std::optional<QString>& error = std::nullopt);
    // Shows what the desktop has now, with the error of the change just tried.
    void showStartsAtLogin(const QString& error);

    AppModelServices services_;
    WebBrowser browser_;
    // The services' policy, telling the status line while it waits.
    RetryPolicy retryPolicy_;
    // Aborts the open under way; each open has a signal of its own.
    AbortSignal openAbort_;
    bool isCancellingOpen_ = false;
    UploadMeter uploadMeter_;
    // Shows the upload once it has taken uploadShownAfter.
    QTimer uploadShowTimer_;
    bool isUploadShown_ = false;
    std::shared_ptr<GoogleOAuthClient> oauthClient_;
    // What Drive converts for the account, read by the first conversion of
    // the run and handed to every Drive client after it.
    SharedImportLimits importLimits_ = std::make_shared<SharedImportLimits::element_type>();
    // Consent pages shown so far; shared with the OAuth client's opener.
    std::shared_ptr<int> signInPagesShown_ = std::make_shared<int>(0);
    std::function<void()> showMainWindowHandler_;
    std::function<void()> showPreferencesWindowHandler_;

    OrvanePreferences preferences_;
    QList<LocalFileRecord> recentRecords_;
    QString statusMessage_ = QStringLiteral("Ready");
    std::optional<QString> lastError_;
    bool isOpening_ = false;
    bool isOpenUnderWay_ = false;
    int openWork_ = 0;
    bool isConnectingGoogle_ = false;
    bool isConnected_ = false;
    // Set once anything but the start-up check has decided isConnected, so a
    // late answer of that check cannot undo a sign-in or a disconnect.
    bool isConnectionDecided_ = false;
    bool didOpenSampleFile_ = false;
    bool isShowingOnboarding_ = false;
    QString defaultApplicationReport_;
    bool didMakingDefaultFail_ = false;
    bool startsAtLogin_ = false;
    QString startAtLoginError_;
    QList<QUrl> unopenedFiles_;
    bool isQuitting_ = false;
};

} // namespace orvane
