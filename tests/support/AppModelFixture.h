#pragma once

#include "model/AppModel.h"
#include "GoogleEmulatorProcess.h"
#include "tokens/InMemoryTokenStore.h"
#include "state/JSONLocalStateStore.h"
#include "state/PendingOpenList.h"
#include "model/LaunchIntentTracker.h"
#include "model/OpenURLsNotification.h"
#include "platform/AutostartEntry.h"
#include "ScriptedBrowser.h"

#include <QNetworkAccessManager>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace orvane::testsupport {

// One AppModel against the Google emulator, with its Application Support
// folder, user defaults and files in a temporary folder, an in-memory token
// store, and a browser and clipboard that record what they are given. The
// browser finishes every sign-in it is shown (the emulator approves at once)
// unless holdSignIn is set.
class AppModelTest : public ::testing::Test {
protected:
    explicit AppModelTest(orvane::testsupport::GoogleEmulatorOptions emulatorOptions = {});

    // Setup as a user who finished onboarding, with the client ID in the
    // environment. Tests change these before makeModel().
    OrvanePreferences initialPreferences() const;
    Environment environment() const;
    void setPreferences(const OrvanePreferences& preferences);

    AppModel& makeModel();

    QUrl writeFile(const QString& name, const QByteArray& content) const;
    ApplicationPaths paths() const { return ApplicationPaths(supportFolder.path()); }

    // Runs the event loop until the condition holds (false after 5 seconds).
    static bool waitUntil(const std::function<bool()>& condition);
    // Opens one file and waits for the outcome.
    void openAndWait(const QUrl& fileURL);
    void connectAndWait();

    // Uploads begun: each opens a session.
    qsizetype uploadCount() const;

    QTemporaryDir supportFolder;
    QTemporaryDir filesFolder;
    QSettings defaults;
    orvane::testsupport::GoogleEmulatorProcess emulator;
    Environment extraEnvironment;
    bool withClientIDInEnvironment = true;
    JSONLocalStateStore stateStore{paths().defaultStateFileURL()};
    std::shared_ptr<OAuthTokenStoring> tokenStore = std::make_shared<InMemoryTokenStore>();
    QNetworkAccessManager network;
    LaunchIntentTracker tracker;
    OpenURLsNotification notification;
    // The files taken and not opened yet, when a test makes the list.
    std::unique_ptr<PendingOpenList> pendingOpens;

    orvane::testsupport::ScriptedBrowser signInBrowser;
    bool holdSignIn = false;
    QList<QUrl> browserCalls;
    // Takes the browser's place when set (the system's, for instance).
    BrowserOpener browserInstead;
    QStringList clipboard;
    DefaultApplicationRegistering registerAsDefaultApplication;
    // The desktop's start at login: the real entry, in a config folder of
    // the test's own.
    QTemporaryDir configFolder;
    AutostartEntry autostartEntry{Environment{{QStringLiteral("XDG_CONFIG_HOME"), configFolder.path()}}};
    int mainWindowRequests = 0;
    // Every status message the model showed, in order.
    QStringList statuses;

    std::unique_ptr<AppModel> model;
};

} // namespace orvane::testsupport
