#include "AppModelFixture.h"

#include "AwaitTask.h"
#include "routing/GoogleServiceEndpoints.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

#include <coroutine>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

const QString unconfiguredClient = u"Google OAuth client ID is not configured."_s;

OAuthTokenSet storedTokens()
{
    return {.accessToken = u"stored-access"_s, .refreshToken = u"stored-refresh"_s,
            .expiresAt = QDateTime::currentDateTimeUtc().addSecs(3600), .scope = std::nullopt,
            .tokenType = std::nullopt};
}

bool hasTokens(OAuthTokenStoring& store)
{
    return awaitTask(store.containsTokensWithoutReadingSecret());
}

TEST_F(AppModelTest, StoredTokensMakeTheModelConnectedAtStartUp)
{
    tokenStore = std::make_shared<InMemoryTokenStore>(storedTokens());

    makeModel();

    EXPECT_TRUE(model->isConnected());
    EXPECT_EQ(model->googleConnectionStatusTitle(), u"Google account connected"_s);
}

TEST_F(AppModelTest, WithoutStoredTokensTheModelIsNotConnected)
{
    makeModel();

    EXPECT_FALSE(model->isConnected());
    EXPECT_EQ(model->googleConnectionStatusTitle(), u"Not connected"_s);
    EXPECT_EQ(model->statusMessage(), u"Ready"_s);
}

// A keyring that answers whether tokens exist only when the test lets it.
class SlowToAnswerTokenStore final : public OAuthTokenStoring {
public:
    explicit SlowToAnswerTokenStore(OAuthTokenSet tokens) : inner_(std::move(tokens)) {}

    // Resumes the waiting question at once.
    void answer() { std::exchange(answer_.question, {}).resume(); }

    QCoro::Task<std::optional<OAuthTokenSet>> loadTokens() override { return inner_.loadTokens(); }
    QCoro::Task<> saveTokens(OAuthTokenSet tokens) override { return inner_.saveTokens(std::move(tokens)); }
    QCoro::Task<> deleteTokens() override { return inner_.deleteTokens(); }
    QCoro::Task<bool> containsTokensWithoutReadingSecret() override
    {
        co_await answer_;
        co_return true;
    }

private:
    struct Answer {
        std::coroutine_handle<> question;

        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> waiting) noexcept { question = waiting; }
        void await_resume() const noexcept {}
    };

    InMemoryTokenStore inner_;
    Answer answer_;
};

TEST_F(AppModelTest, LateAnswerOfTheStartUpCheckDoesNotUndoADisconnect)
{
    const auto slowStore = std::make_shared<SlowToAnswerTokenStore>(storedTokens());
    tokenStore = slowStore;
    makeModel();
    ASSERT_FALSE(model->isConnected());

    model->disconnectGoogle();
    ASSERT_TRUE(waitUntil([this] { return model->statusMessage() == u"Google account disconnected"_s; }));
    slowStore->answer();

    EXPECT_FALSE(model->isConnected());
}

TEST_F(AppModelTest, ConnectSignsInThroughTheBrowserAndBringsTheWindowBack)
{
    makeModel();
    QStringList titles;
    QObject::connect(model.get(), &AppModel::googleConnectionStatusTitleChanged,
                     [&] { titles.append(model->googleConnectionStatusTitle()); });

    connectAndWait();

    EXPECT_EQ(model->lastError(), std::nullopt);
    EXPECT_EQ(statuses, (QStringList{u"Opening Google sign-in..."_s, u"Google account connected"_s}));
    EXPECT_EQ(titles, (QStringList{u"Waiting for Google sign-in"_s, u"Google account connected"_s}));
    EXPECT_TRUE(model->isConnected());
    EXPECT_EQ(mainWindowRequests, 1);
    ASSERT_EQ(browserCalls.size(), 1);
    EXPECT_EQ(browserCalls[0].adjusted(QUrl::RemovePath | QUrl::RemoveQuery), emulator.rootUrl());
    EXPECT_TRUE(hasTokens(*tokenStore));
}

TEST_F(AppModelTest, SecondConnectWhileTheFirstWaitsChangesNothing)
{
    holdSignIn = true;
    makeModel();
    model->connectGoogle();
    ASSERT_TRUE(waitUntil([this] { return browserCalls.size() == 1; }));
    ASSERT_TRUE(model->isConnectingGoogle());
    const QStringList statusesWhileWaiting = statuses;

    model->connectGoogle();

    EXPECT_EQ(statuses, statusesWhileWaiting);
    EXPECT_EQ(browserCalls.size(), 1);
    EXPECT_EQ(model->googleConnectionStatusTitle(), u"Waiting for Google sign-in"_s);

    signInBrowser.open(browserCalls[0]);
    ASSERT_TRUE(waitUntil([this] { return !model->isConnectingGoogle(); }));
    EXPECT_EQ(model->statusMessage(), u"Google account connected"_s);
    EXPECT_EQ(browserCalls.size(), 1);
    EXPECT_EQ(mainWindowRequests, 1);
}

TEST_F(AppModelTest, ConnectWithoutClientIDFailsWithTheConfigurationMessage)
{
    withClientIDInEnvironment = false;
    makeModel();

    connectAndWait();

    EXPECT_EQ(model->lastError(), unconfiguredClient);
    EXPECT_EQ(statuses, (QStringList{u"Opening Google sign-in..."_s, u"Google sign-in failed"_s}));
    EXPECT_EQ(mainWindowRequests, 1);
    EXPECT_FALSE(model->isConnected());
    EXPECT_TRUE(browserCalls.isEmpty());
}

TEST_F(AppModelTest, FailedSignInKeepsAnEarlierConnection)
{
    tokenStore = std::make_shared<InMemoryTokenStore>(storedTokens());
    withClientIDInEnvironment = false;
    makeModel();

    connectAndWait();

    EXPECT_EQ(model->statusMessage(), u"Google sign-in failed"_s);
    EXPECT_TRUE(model->isConnected());
}

TEST_F(AppModelTest, DisconnectDeletesTheTokensAndTheNextOpenReadsTheConfigurationAgain)
{
    withClientIDInEnvironment = false;
    const QString configPath = paths().defaultOAuthClientConfigURL().toLocalFile();
    {
        QFile config(configPath);
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(QJsonDocument(QJsonObject{{u"clientID"_s, emulator.clientId()},
                                               {u"scopes"_s, QJsonArray{GoogleServiceEndpoints::driveFileScope()}}})
                         .toJson());
    }
    makeModel();
    const QUrl sales = writeFile(u"sales.csv"_s, "Region,Amount\nNorth,10\n");
    openAndWait(sales);
    ASSERT_EQ(model->statusMessage(), u"Uploaded and opened sales.csv"_s);

    ASSERT_TRUE(QFile::remove(configPath));
    openAndWait(sales);
    EXPECT_EQ(model->statusMessage(), u"Opened existing Google file for sales.csv"_s) << "the client is kept";

    model->disconnectGoogle();
    ASSERT_TRUE(waitUntil([this] { return !model->isConnected(); }));
    EXPECT_EQ(model->statusMessage(), u"Google account disconnected"_s);
    EXPECT_FALSE(hasTokens(*tokenStore));
    EXPECT_EQ(model->recentRecords().size(), 1) << "records stay";

    openAndWait(sales);
    EXPECT_EQ(model->lastError(), unconfiguredClient);
    EXPECT_EQ(model->statusMessage(), u"Could not open sales.csv"_s);
}

TEST_F(AppModelTest, RevokedGoogleAccessShowsNotConnectedWithAPlainMessageUntilConnectingAgainReplacesTheTokens)
{
    makeModel();
    connectAndWait();
    const OAuthTokenSet revoked = *awaitTask(tokenStore->loadTokens());
    emulator.revokeAllTokens();
    const qsizetype browserCallsBefore = browserCalls.size();

    openAndWait(writeFile(u"sales.csv"_s, "Region,Amount\nNorth,10\n"));
    EXPECT_EQ(model->lastError(), u"Google access has expired or was revoked. Connect Google again to go on opening files."_s);
    EXPECT_EQ(model->statusMessage(), u"Could not open sales.csv"_s);
    EXPECT_FALSE(model->isConnected());
    EXPECT_EQ(model->googleConnectionStatusTitle(), u"Not connected"_s);
    EXPECT_EQ(browserCalls.size(), browserCallsBefore) << "no page opens unasked";
    EXPECT_FALSE(hasTokens(*tokenStore)) << "the next start shows the truth too";
    EXPECT_EQ(uploadCount(), 0);

    connectAndWait();
    EXPECT_TRUE(model->isConnected());
    EXPECT_NE(awaitTask(tokenStore->loadTokens())->refreshToken, revoked.refreshToken);
    openAndWait(writeFile(u"sales.csv"_s, "Region,Amount\nNorth,10\n"));
    EXPECT_EQ(model->statusMessage(), u"Uploaded and opened sales.csv"_s);
}

// A Google desktop client registration that needs its secret.
class AppModelClientSecretTest : public AppModelTest {
protected:
    AppModelClientSecretTest()
        : AppModelTest({.clientIds = {orvane::testsupport::GoogleEmulatorOptions::defaultClientId},
                        .clientSecret = u"s3cret"_s, .autoApprove = true, .tokenLifetime = std::nullopt})
    {
    }
};

TEST_F(AppModelClientSecretTest, MissingSecretIsExplained)
{
    makeModel();

    connectAndWait();

    EXPECT_EQ(model->lastError(),
              u"This Google OAuth desktop client requires a client secret. For local builds, add clientSecret to "
              u"GoogleOAuth config. For distribution, set tokenEndpointURL to a server-side OAuth token endpoint."_s);
    EXPECT_EQ(model->statusMessage(), u"Google sign-in failed"_s);
    EXPECT_FALSE(model->isConnected());
}

TEST_F(AppModelClientSecretTest, SecretFromTheEnvironmentIsSent)
{
    extraEnvironment.insert(u"ORVANE_GOOGLE_CLIENT_SECRET"_s, u"s3cret"_s);
    makeModel();

    connectAndWait();

    EXPECT_EQ(model->lastError(), std::nullopt);
    EXPECT_TRUE(model->isConnected());
}

} // namespace

// The emulator shows its consent page, answered as the test says.
class AppModelConsentTest : public AppModelTest {
protected:
    AppModelConsentTest() : AppModelTest({.autoApprove = false}) {}
};

// Five files opened while disconnected, the first page declined: one page
// for the request, and every file ends with the same message at once.
TEST_F(AppModelConsentTest, ADeclinedSignInEndsTheRestOfItsRequestWithTheSameErrorAndNoOtherPage)
{
    signInBrowser.setDecision(ScriptedBrowser::Decision::Deny);
    makeModel();
    QStringList errors;
    QObject::connect(model.get(), &AppModel::lastErrorChanged, [this, &errors] {
        if (model->lastError())
            errors.append(*model->lastError());
    });
    const QUrl first = writeFile(u"first.csv"_s, "a\n1\n");
    const QUrl second = writeFile(u"second.csv"_s, "b\n2\n");
    const QUrl third = writeFile(u"third.csv"_s, "c\n3\n");

    model->openFiles({first, second, third});
    ASSERT_TRUE(waitUntil([this] { return statuses.size() == 6 && !model->isOpening(); }));

    EXPECT_EQ(statuses, (QStringList{u"Opening first.csv..."_s, u"Could not open first.csv"_s,
                                     u"Opening second.csv..."_s, u"Could not open second.csv"_s,
                                     u"Opening third.csv..."_s, u"Could not open third.csv"_s}));
    EXPECT_EQ(errors, QStringList(3, u"The Google OAuth callback could not be read."_s));
    EXPECT_EQ(signInBrowser.visits().size(), 1);
    EXPECT_EQ(browserCalls.size(), 1) << "the consent page, and no Google page";
    EXPECT_EQ(uploadCount(), 0);

    // The next request asks again, and this time the user allows.
    signInBrowser.setDecision(ScriptedBrowser::Decision::Allow);
    model->openFiles({second});
    ASSERT_TRUE(waitUntil([this] { return statuses.size() == 8 && !model->isOpening(); }));
    EXPECT_EQ(statuses.last(), u"Uploaded and opened second.csv"_s);
    EXPECT_EQ(signInBrowser.visits().size(), 2);
}
