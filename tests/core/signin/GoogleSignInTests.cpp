#include "signin/DrivePermissionMissingError.h"
#include "signin/GoogleAccessExpiredError.h"
#include "signin/GoogleOAuthClient.h"
#include "tokens/InMemoryTokenStore.h"
#include "signin/OAuthTokenExchangeError.h"
#include "routing/OrvaneError.h"
#include "signin/PKCE.h"

#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QUrlQuery>

#include "AwaitTask.h"
#include "GoogleEmulatorProcess.h"
#include "QuickRetries.h"
#include "RawHttpExchange.h"
#include "ScriptedBrowser.h"

#include <gtest/gtest.h>

#include <list>

// The whole sign-in against the local Google emulator: the browser fetches the
// authorisation page and follows the redirect to the client's loopback
// listener, and the client exchanges the code at the emulator's token endpoint.

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;
using orvane::testsupport::GoogleEmulatorOptions;
using orvane::testsupport::GoogleEmulatorProcess;
using orvane::testsupport::ScriptedBrowser;

namespace {

const QString driveFileScope = u"https://www.googleapis.com/auth/drive.file"_s;

QString queryValue(const QUrl& url, const QString& name)
{
    return QUrlQuery(url).queryItemValue(name, QUrl::FullyDecoded);
}

class GoogleSignInTest : public ::testing::Test {
protected:
    explicit GoogleSignInTest(GoogleEmulatorOptions options = {}) : emulator(std::move(options)) {}

    GoogleOAuthClient makeClient(GoogleOAuthClient::AuthorizationURLOpener openAuthorizationURL)
    {
        const Environment environment{{QString::fromLatin1(GoogleServiceEndpoints::serviceRootVariable),
                                       emulator.rootUrl().toString()}};
        return GoogleOAuthClient(configuration, store, network, std::move(openAuthorizationURL),
                                 GoogleServiceEndpoints::fromEnvironment(environment), [this] { return now; },
                                 quickRetries(&waits));
    }

    GoogleOAuthClient makeClient()
    {
        return makeClient([this](const QUrl& url) { browser.open(url); });
    }

    template <typename Error>
    Error connectFailure(GoogleOAuthClient client)
    {
        try {
            awaitTask(client.connect());
            ADD_FAILURE() << "the sign-in succeeded";
        } catch (const Error& error) {
            return error;
        }
        throw std::logic_error("unreachable");
    }

    // Whether the loopback listener named in the authorisation URL still accepts connections.
    static bool listenerIsReachable(const QUrl& authorizationURL)
    {
        const QUrl redirectURI(queryValue(authorizationURL, u"redirect_uri"_s));
        return awaitTask(exchangeRawHttp(QHostAddress::LocalHost, static_cast<quint16>(redirectURI.port()), "\r\n"))
            .connected;
    }

    GoogleEmulatorProcess emulator;
    OAuthConfiguration configuration{emulator.clientId(), std::nullopt, std::nullopt, {driveFileScope}};
    std::shared_ptr<InMemoryTokenStore> store = std::make_shared<InMemoryTokenStore>();
    QNetworkAccessManager network;
    ScriptedBrowser browser;
    QDateTime now{QDate(2030, 1, 1), QTime(12, 0), Qt::UTC};
    QList<RetryNotice> waits;
};

class GoogleSignInWithConsentPageTest : public GoogleSignInTest {
protected:
    GoogleSignInWithConsentPageTest() : GoogleSignInTest({.autoApprove = false}) {}
};

class GoogleSignInWithClientSecretTest : public GoogleSignInTest {
protected:
    GoogleSignInWithClientSecretTest() : GoogleSignInTest({.clientSecret = u"GOCSPX-s3cr3t/+x"_s}) {}
};

} // namespace

TEST_F(GoogleSignInTest, SignsInSavesTheTokensAndRefreshesThemLater)
{
    auto client = makeClient();
    const OAuthTokenSet tokens = awaitTask(client.connect());

    EXPECT_TRUE(tokens.accessToken.startsWith(u"ya29."_s)) << tokens.accessToken.toStdString();
    ASSERT_TRUE(tokens.refreshToken.has_value());
    EXPECT_EQ(tokens.expiresAt, now.addSecs(3600));
    EXPECT_EQ(tokens.scope, driveFileScope);
    EXPECT_EQ(tokens.tokenType, u"Bearer"_s);
    EXPECT_EQ(awaitTask(store->loadTokens()), tokens);

    ASSERT_TRUE(browser.waitForVisits(1));
    const auto& visit = browser.visits().first();
    EXPECT_EQ(visit.callbackStatus, 200);
    EXPECT_TRUE(visit.callbackBody.contains("<h1>Orvane is connected.</h1>"));
    EXPECT_FALSE(listenerIsReachable(visit.authorizationUrl));

    // The code exchange, byte for byte.
    const auto exchanges = emulator.requests(u"/token"_s);
    ASSERT_EQ(exchanges.size(), 1);
    const QString body = QString::fromUtf8(exchanges.first().body.value_or(QByteArray()));
    const QString code = queryValue(visit.redirectUrl, u"code"_s);
    const QString port = QString::number(QUrl(queryValue(visit.authorizationUrl, u"redirect_uri"_s)).port());
    static const QRegularExpression verifierPattern(u"&code_verifier=([A-Za-z0-9_-]{43})&"_s);
    const QString verifier = verifierPattern.match(body).captured(1);
    EXPECT_EQ(body, u"client_id="_s + emulator.clientId() + u"&code="_s + QString::fromLatin1(code.toUtf8().toPercentEncoding("/"))
                        + u"&code_verifier="_s + verifier
                        + u"&grant_type=authorization_code&redirect_uri=http%3A//127.0.0.1%3A"_s + port
                        + u"/oauth2redirect"_s);
    EXPECT_EQ(PKCE::codeChallenge(verifier), queryValue(visit.authorizationUrl, u"code_challenge"_s));
    EXPECT_EQ(exchanges.first().header("Content-Type"), "application/x-www-form-urlencoded");

    // Within a minute of expiring, the token is refreshed; the refresh token stays.
    now = now.addSecs(3540);
    const QString refreshed = awaitTask(client.accessToken());
    EXPECT_NE(refreshed, tokens.accessToken);
    EXPECT_EQ(awaitTask(store->loadTokens()),
              (OAuthTokenSet{refreshed, tokens.refreshToken, now.addSecs(3600), driveFileScope, u"Bearer"_s}));
    const auto refreshes = emulator.requests(u"/token"_s);
    ASSERT_EQ(refreshes.size(), 2);
    EXPECT_EQ(refreshes.last().body, "client_id=" + emulator.clientId().toUtf8() + "&grant_type=refresh_token&refresh_token="
                                         + tokens.refreshToken->toUtf8().toPercentEncoding("/"));
    EXPECT_EQ(browser.visits().size(), 1);
}

TEST_F(GoogleSignInTest, RefusesARedirectForAnotherSignInAttempt)
{
    auto client = makeClient([this](QUrl url) {
        QUrlQuery query(url);
        query.removeQueryItem(u"state"_s);
        query.addQueryItem(u"state"_s, u"forged-state-of-another-attempt"_s);
        url.setQuery(query);
        browser.open(url);
    });
    EXPECT_EQ(connectFailure<OrvaneError>(std::move(client)), OrvaneError::oauthStateMismatch());
    ASSERT_TRUE(browser.waitForVisits(1));
    EXPECT_EQ(queryValue(browser.visits().first().redirectUrl, u"state"_s), u"forged-state-of-another-attempt"_s);
    EXPECT_TRUE(emulator.requests(u"/token"_s).isEmpty());
    EXPECT_EQ(awaitTask(store->loadTokens()), std::nullopt);
    EXPECT_FALSE(listenerIsReachable(browser.visits().first().authorizationUrl));
}

TEST_F(GoogleSignInTest, RefusesARedirectThatLostItsCode)
{
    orvane::testsupport::LoopbackHttpClient http;
    std::list<QCoro::Task<RawHttpExchange>> callbacks;
    QUrl authorizationURL;
    auto client = makeClient([&](const QUrl& url) {
        authorizationURL = url;
        const auto page = http.get(url);
        ASSERT_EQ(page.status, 302);
        QUrl redirect(QString::fromUtf8(page.header("Location").value_or(QByteArray())));
        QUrlQuery query(redirect);
        ASSERT_TRUE(query.hasQueryItem(u"code"_s));
        query.removeAllQueryItems(u"code"_s);
        redirect.setQuery(query);
        callbacks.push_back(exchangeRawHttp(QHostAddress::LocalHost, static_cast<quint16>(redirect.port()),
                                            "GET " + redirect.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority)
                                                + " HTTP/1.1\r\n\r\n"));
    });
    EXPECT_EQ(connectFailure<OrvaneError>(std::move(client)), OrvaneError::invalidOAuthCallback());
    EXPECT_TRUE(emulator.requests(u"/token"_s).isEmpty());
    EXPECT_FALSE(listenerIsReachable(authorizationURL));
}

TEST_F(GoogleSignInTest, AGrantWithoutDriveFilesStoresNothingAndSaysWhatOrvaneNeeds)
{
    // The user unticked the one permission Orvane asks for.
    emulator.grantOnlyScope(u""_s);
    const DrivePermissionMissingError error = connectFailure<DrivePermissionMissingError>(makeClient());
    EXPECT_EQ(error.localizedDescription(),
              u"Orvane needs permission to create files in your Google Drive. Connect Google again and allow Orvane to "
              u"see, edit and create the Google Drive files it uses."_s);
    EXPECT_EQ(emulator.requests(u"/token"_s).size(), 1) << "the code was exchanged";
    EXPECT_EQ(awaitTask(store->loadTokens()), std::nullopt);
    ASSERT_TRUE(browser.waitForVisits(1));
    EXPECT_FALSE(listenerIsReachable(browser.visits().first().authorizationUrl));
}

TEST_F(GoogleSignInWithConsentPageTest, EndsWithoutTokensWhenTheUserDeclines)
{
    browser.setDecision(ScriptedBrowser::Decision::Deny);
    EXPECT_EQ(connectFailure<OrvaneError>(makeClient()), OrvaneError::invalidOAuthCallback());
    ASSERT_TRUE(browser.waitForVisits(1));
    EXPECT_EQ(queryValue(browser.visits().first().redirectUrl, u"error"_s), u"access_denied"_s);
    EXPECT_EQ(browser.visits().first().callbackStatus, 200);
    EXPECT_TRUE(emulator.requests(u"/token"_s).isEmpty());
    EXPECT_EQ(awaitTask(store->loadTokens()), std::nullopt);
    EXPECT_FALSE(listenerIsReachable(browser.visits().first().authorizationUrl));
}

TEST_F(GoogleSignInWithConsentPageTest, SignsInOnceTheUserAllows)
{
    EXPECT_TRUE(awaitTask(makeClient().connect()).accessToken.startsWith(u"ya29."_s));
    ASSERT_TRUE(browser.waitForVisits(1));
    EXPECT_EQ(browser.visits().first().callbackStatus, 200);
}

TEST_F(GoogleSignInWithClientSecretTest, KeepsGooglesAnswerWhenTheSecretIsMissing)
{
    const OAuthTokenExchangeError error = connectFailure<OAuthTokenExchangeError>(makeClient());
    EXPECT_EQ(error, OAuthTokenExchangeError(400, u"invalid_request"_s, u"client_secret is missing."_s));
    EXPECT_EQ(error.localizedDescription(),
              u"Google OAuth token exchange failed (400, invalid_request): client_secret is missing."_s);
    EXPECT_EQ(awaitTask(store->loadTokens()), std::nullopt);
    ASSERT_TRUE(browser.waitForVisits(1));
    EXPECT_FALSE(listenerIsReachable(browser.visits().first().authorizationUrl));
}

TEST_F(GoogleSignInWithClientSecretTest, SendsTheConfiguredSecret)
{
    configuration.clientSecret = u"GOCSPX-s3cr3t/+x"_s;
    awaitTask(makeClient().connect());
    const auto exchanges = emulator.requests(u"/token"_s);
    ASSERT_EQ(exchanges.size(), 1);
    EXPECT_TRUE(exchanges.first().body.value_or(QByteArray()).startsWith(
        "client_id=" + emulator.clientId().toUtf8() + "&client_secret=GOCSPX-s3cr3t/%2Bx&code="));
    EXPECT_TRUE(awaitTask(store->loadTokens()).has_value());
}

TEST_F(GoogleSignInWithClientSecretTest, KeepsGooglesAnswerToAWrongSecret)
{
    configuration.clientSecret = u"wrong"_s;
    EXPECT_EQ(connectFailure<OAuthTokenExchangeError>(makeClient()),
              OAuthTokenExchangeError(401, u"invalid_client"_s, u"Unauthorized"_s));
    EXPECT_EQ(awaitTask(store->loadTokens()), std::nullopt);
}

TEST_F(GoogleSignInTest, KeepsTheBodyOfAnAnswerThatIsNotGooglesError)
{
    emulator.injectFault({{u"path"_s, u"/token"_s},
                          {u"count"_s, 5},
                          {u"status"_s, 503},
                          {u"body"_s, u"<html>Service Unavailable</html>"_s},
                          {u"contentType"_s, u"text/html"_s}});
    const OAuthTokenExchangeError error = connectFailure<OAuthTokenExchangeError>(makeClient());
    EXPECT_EQ(error, OAuthTokenExchangeError(503, u"token_exchange_failed"_s, u"<html>Service Unavailable</html>"_s));
    EXPECT_EQ(awaitTask(store->loadTokens()), std::nullopt);
    ASSERT_TRUE(browser.waitForVisits(1));
    EXPECT_FALSE(listenerIsReachable(browser.visits().first().authorizationUrl));
}

TEST_F(GoogleSignInTest, PassingTokenEndpointFailuresAreTriedAgainForTheSignInAndTheRefresh)
{
    emulator.failNextRequests(u"/token"_s, 503);
    emulator.dropNextRequests(u"/token"_s, 2); // Qt itself sends once more after a drop
    auto client = makeClient();
    const OAuthTokenSet tokens = awaitTask(client.connect());
    EXPECT_EQ(waits.size(), 2);
    EXPECT_EQ(emulator.requests(u"/token"_s).size(), 4);

    emulator.failNextRequests(u"/token"_s, 429);
    now = now.addSecs(3600);
    EXPECT_NE(awaitTask(client.accessToken()), tokens.accessToken);
    EXPECT_EQ(waits.size(), 3);
    EXPECT_EQ(browser.visits().size(), 1);
}

TEST_F(GoogleSignInTest, ATokenEndpointFailureThatPersistsShowsGooglesDescription)
{
    auto client = makeClient();
    awaitTask(client.connect());
    now = now.addSecs(3600);
    emulator.failNextRequests(u"/token"_s, 500, 5);
    try {
        awaitTask(client.accessToken());
        FAIL() << "the refresh succeeded";
    } catch (const OAuthTokenExchangeError& error) {
        EXPECT_EQ(error.localizedDescription(),
                  u"Google OAuth token exchange failed (500, server_error): Internal Server Error"_s);
    }
    EXPECT_EQ(waits.size(), 4);
}

TEST_F(GoogleSignInTest, ARevokedGrantEndsTheRefreshPlainlyAndOpensNoBrowser)
{
    auto client = makeClient();
    const OAuthTokenSet tokens = awaitTask(client.connect());
    emulator.revokeAllTokens();
    now = now.addSecs(3600);
    EXPECT_THROW(awaitTask(client.accessToken()), GoogleAccessExpiredError);
    EXPECT_EQ(browser.visits().size(), 1) << "only the first sign-in's";
    EXPECT_EQ(emulator.requests(u"/token"_s).last().status, 400);
    EXPECT_TRUE(waits.isEmpty());
}

TEST_F(GoogleSignInTest, ATokenRefusedByDriveIsReplacedOnceByARefreshOrByOneAlreadyRefreshed)
{
    auto client = makeClient();
    const OAuthTokenSet tokens = awaitTask(client.connect());
    const std::optional<QString> replacement = awaitTask(client.accessTokenReplacing(tokens.accessToken));
    ASSERT_TRUE(replacement);
    EXPECT_NE(*replacement, tokens.accessToken);
    EXPECT_EQ(awaitTask(store->loadTokens())->accessToken, *replacement);
    EXPECT_EQ(emulator.requests(u"/token"_s).size(), 2);

    // Another request refused the old token too: the new one is already there.
    EXPECT_EQ(awaitTask(client.accessTokenReplacing(tokens.accessToken)), replacement);
    EXPECT_EQ(emulator.requests(u"/token"_s).size(), 2);

    awaitTask(store->saveTokens(OAuthTokenSet{u"ya29.only"_s, std::nullopt, now.addSecs(3600), std::nullopt, std::nullopt}));
    EXPECT_EQ(awaitTask(client.accessTokenReplacing(u"ya29.only"_s)), std::nullopt) << "nothing to refresh with";
}

