#include "AppModelFixture.h"

#include "QuickRetries.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace orvane::testsupport {

namespace {

// An open or a sign-in against the emulator ends within a second or two, so
// one that has not ended within this has gone wrong.
constexpr int waitMilliseconds = 5'000;

} // namespace

AppModelTest::AppModelTest(orvane::testsupport::GoogleEmulatorOptions emulatorOptions)
    : defaults(supportFolder.filePath(u"Orvane.conf"_s), QSettings::IniFormat), emulator(std::move(emulatorOptions))
{
    setPreferences(initialPreferences());
}

OrvanePreferences AppModelTest::initialPreferences() const
{
    return {.officeOpenMode = OpenMode::googleFormat, .rootFolderName = u"Opened from Mac"_s,
            .hasCompletedOnboarding = true};
}

Environment AppModelTest::environment() const
{
    Environment environment = extraEnvironment;
    environment.insert(QString::fromLatin1(GoogleServiceEndpoints::serviceRootVariable), emulator.rootUrl().toString());
    if (withClientIDInEnvironment)
        environment.insert(u"ORVANE_GOOGLE_CLIENT_ID"_s, emulator.clientId());
    return environment;
}

void AppModelTest::setPreferences(const OrvanePreferences& preferences)
{
    PreferencesStore(defaults).save(preferences);
}

AppModel& AppModelTest::makeModel()
{
    const Environment processEnvironment = environment();
    model = std::make_unique<AppModel>(AppModelServices{
        .preferencesStore = PreferencesStore(defaults),
        .stateStore = stateStore,
        .tokenStore = tokenStore,
        .networkAccessManager = network,
        .openInBrowser = browserInstead ? browserInstead
                                        : [this](const QUrl& url) {
                                              browserCalls.append(url);
                                              if (url.path() == u"/o/oauth2/v2/auth"_s && !holdSignIn)
                                                  signInBrowser.open(url);
                                          },
        .copyToClipboard = [this](const QString& text) { clipboard.append(text); },
        .environment = processEnvironment,
        .paths = paths(),
        .bundle = ApplicationBundle({}),
        .endpoints = GoogleServiceEndpoints::fromEnvironment(processEnvironment),
        .registerAsDefaultApplication = registerAsDefaultApplication,
        .readStartsAtLogin = [this] { return autostartEntry.isEnabled(); },
        .writeStartsAtLogin = [this](bool enabled) { autostartEntry.setEnabled(enabled); },
        .retryPolicy = quickRetries(),
        .launchIntents = tracker,
        .openURLsNotification = notification,
        .pendingOpens = pendingOpens.get(),
    });
    model->setShowMainWindowHandler([this] { ++mainWindowRequests; });
    QObject::connect(model.get(), &AppModel::statusMessageChanged, [this] { statuses.append(model->statusMessage()); });
    return *model;
}

QUrl AppModelTest::writeFile(const QString& name, const QByteArray& content) const
{
    QFile file(filesFolder.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    return QUrl::fromLocalFile(file.fileName());
}

bool AppModelTest::waitUntil(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, waitMilliseconds);
}

void AppModelTest::openAndWait(const QUrl& fileURL)
{
    model->openFile(fileURL);
    ASSERT_TRUE(waitUntil([this] { return !model->isOpening(); }));
}

void AppModelTest::connectAndWait()
{
    model->connectGoogle();
    ASSERT_TRUE(waitUntil([this] { return !model->isConnectingGoogle(); }));
}

qsizetype AppModelTest::uploadCount() const
{
    return emulator.requests(u"/upload/drive/v3/files"_s, "POST").size();
}

} // namespace orvane::testsupport
